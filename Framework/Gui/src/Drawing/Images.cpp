#include "Framework/Drawing/Images.h"

#include <QPainter>

namespace fw {

QImage LoadImageFile(const QString& path) {
    QImage image;
    if (path.isEmpty() || !image.load(path))
        return {};
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QSizeF LogicalSize(const QImage& image) {
    return QSizeF(image.size()) / image.devicePixelRatio();
}

void DrawImage(QPainter& painter, const QImage& image, const QRectF& dest) {
    if (image.isNull())
        return;
    painter.drawImage(dest, image, QRectF(QPointF(0, 0), QSizeF(image.size())));
}

void DrawImage(QPainter& painter, const QImage& image, const QRectF& dest, const QRectF& source,
               const ColorMatrix& matrix) {
    if (image.isNull())
        return;
    const qreal ratio = image.devicePixelRatio();
    const QRectF pixels(source.topLeft() * ratio, source.size() * ratio);
    const QImage part = image.copy(pixels.toAlignedRect());
    painter.drawImage(dest, ApplyColorMatrix(part, matrix),
                      QRectF(QPointF(0, 0), QSizeF(part.size())));
}

} // namespace fw
