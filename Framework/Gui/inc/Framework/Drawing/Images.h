#pragma once

#include "Framework/Drawing/ColorMatrix.h"

#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace fw {

// An image from a file in any format Qt decodes, as premultiplied ARGB; null when the file is
// missing or cannot be decoded.
QImage LoadImageFile(const QString& path);

// The image's size in logical pixels (its pixel size over its device pixel ratio).
QSizeF LogicalSize(const QImage& image);

// Draws the whole image scaled into dest (logical coordinates).
void DrawImage(QPainter& painter, const QImage& image, const QRectF& dest);

// Draws the part source (logical pixels of the image) through the colour matrix into dest.
void DrawImage(QPainter& painter, const QImage& image, const QRectF& dest, const QRectF& source,
               const ColorMatrix& matrix);

} // namespace fw
