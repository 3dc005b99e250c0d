#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QVector>

class QPainter;

namespace fw {

// The platform's default curve tension.
inline constexpr qreal kDefaultTension = 0.5;

// A cardinal spline through the points as cubic Bézier segments. Each inner point's tangent
// follows the chord between its neighbours, scaled by the tension (0 gives straight lines); the
// end points use the chord to their one neighbour. Fewer than two points give an empty path.
QPainterPath CardinalSpline(const QVector<QPointF>& points, qreal tension = kDefaultTension);

// Strokes the cardinal spline through the points; nothing for fewer than two points.
void DrawCurve(QPainter& painter, const QPen& pen, const QVector<QPointF>& points,
               qreal tension = kDefaultTension);

// Fills the polygon with the alternate (even-odd) rule, without an outline; nothing for fewer
// than three points.
void FillPolygon(QPainter& painter, const QBrush& brush, const QVector<QPointF>& points);

// A straight line with the pen.
void DrawLine(QPainter& painter, const QPen& pen, const QPointF& from, const QPointF& to);

} // namespace fw
