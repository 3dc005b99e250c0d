#include "Framework/Drawing/Curves.h"

#include <QPainter>
#include <QPolygonF>

namespace fw {

namespace {
// The platform scales the tension by this factor when it turns a cardinal spline into Bézier
// segments; at the default tension 0.5 a tangent is 0.15 of the chord between the neighbours.
constexpr qreal kTensionScale = 0.3;
} // namespace

QPainterPath CardinalSpline(const QVector<QPointF>& points, qreal tension) {
    QPainterPath path;
    const qsizetype n = points.size();
    if (n < 2)
        return path;
    const qreal t = tension * kTensionScale;
    // Tangent at point i: the chord between its neighbours (or the point itself at the ends).
    auto tangent = [&](qsizetype i) {
        const QPointF& before = points[i > 0 ? i - 1 : 0];
        const QPointF& after = points[i + 1 < n ? i + 1 : n - 1];
        return (after - before) * t;
    };
    path.moveTo(points[0]);
    for (qsizetype i = 0; i + 1 < n; ++i)
        path.cubicTo(points[i] + tangent(i), points[i + 1] - tangent(i + 1), points[i + 1]);
    return path;
}

void DrawCurve(QPainter& painter, const QPen& pen, const QVector<QPointF>& points, qreal tension) {
    if (points.size() < 2)
        return;
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(CardinalSpline(points, tension));
    painter.restore();
}

void FillPolygon(QPainter& painter, const QBrush& brush, const QVector<QPointF>& points) {
    if (points.size() < 3)
        return;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPolygon(QPolygonF(points), Qt::OddEvenFill);
    painter.restore();
}

void DrawLine(QPainter& painter, const QPen& pen, const QPointF& from, const QPointF& to) {
    painter.save();
    painter.setPen(pen);
    painter.drawLine(from, to);
    painter.restore();
}

} // namespace fw
