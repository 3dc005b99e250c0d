#include "Framework/Drawing/Surface.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace fw {

QImage CreateSurface(const QSize& logicalSize, qreal devicePixelRatio) {
    if (logicalSize.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize pixels(std::max(1, static_cast<int>(std::ceil(logicalSize.width() * ratio))),
                       std::max(1, static_cast<int>(std::ceil(logicalSize.height() * ratio))));
    QImage surface(pixels, QImage::Format_ARGB32_Premultiplied);
    if (surface.isNull())
        return {};
    surface.setDevicePixelRatio(ratio);
    surface.fill(Qt::transparent);
    return surface;
}

void CopySurface(QPainter& target, const QPointF& at, const QImage& surface) {
    if (surface.isNull())
        return;
    const QPainter::CompositionMode mode = target.compositionMode();
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.drawImage(at, surface);
    target.setCompositionMode(mode);
}

qreal DevicePixelRatioOf(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    return device ? device->devicePixelRatioF() : 1.0;
}

QRect LogicalBounds(const QPaintDevice& device) {
    if (device.devType() == QInternal::Widget)
        return QRect(0, 0, device.width(), device.height());
    const qreal ratio = device.devicePixelRatioF();
    return QRect(0, 0, static_cast<int>(device.width() / ratio),
                 static_cast<int>(device.height() / ratio));
}

} // namespace fw
