#pragma once

#include <QBrush>
#include <QPen>
#include <QRectF>
#include <QRgb>

namespace fw {

// A brush of one ARGB colour.
QBrush SolidBrush(QRgb argb);

// A horizontal linear gradient from left (at rect's left edge) to right (at its right edge),
// repeated as tiles to both sides of the rectangle.
QBrush HorizontalGradientBrush(const QRectF& rect, QRgb left, QRgb right);

// A pen of one ARGB colour and width in logical pixels, with flat ends and mitred joins.
QPen MakePen(QRgb argb, qreal width = 1.0);

} // namespace fw
