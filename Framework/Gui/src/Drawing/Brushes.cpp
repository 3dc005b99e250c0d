#include "Framework/Drawing/Brushes.h"

#include <QColor>
#include <QLinearGradient>

namespace fw {

QBrush SolidBrush(QRgb argb) {
    return QBrush(QColor::fromRgba(argb));
}

QBrush HorizontalGradientBrush(const QRectF& rect, QRgb left, QRgb right) {
    QLinearGradient gradient(rect.left(), rect.top(), rect.right(), rect.top());
    gradient.setColorAt(0.0, QColor::fromRgba(left));
    gradient.setColorAt(1.0, QColor::fromRgba(right));
    gradient.setSpread(QGradient::RepeatSpread);
    return QBrush(gradient);
}

QPen MakePen(QRgb argb, qreal width) {
    QPen pen(QColor::fromRgba(argb), width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace fw
