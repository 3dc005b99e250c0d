#include "Widgets/MemDC.h"

#include "Framework/Drawing/Surface.h"

#include <QPixmap>

namespace {
QRect ClipBox(QPainter* target) {
    if (target->hasClipping())
        return target->clipBoundingRect().toAlignedRect();
    return target->device() ? fw::LogicalBounds(*target->device()) : QRect();
}

// The target device's pixels under the area, when they can be read back.
QImage ReadBack(QPainter* target, const QRect& area) {
    QPaintDevice* device = target->device();
    if (!device)
        return {};
    const QRect mapped = target->transform().mapRect(area);
    const qreal ratio = device->devicePixelRatioF();
    const QRect pixels(QPoint(qRound(mapped.x() * ratio), qRound(mapped.y() * ratio)),
                       QSize(qRound(mapped.width() * ratio), qRound(mapped.height() * ratio)));
    if (device->devType() == QInternal::Image)
        return static_cast<QImage*>(device)->copy(pixels);
    if (device->devType() == QInternal::Pixmap)
        return static_cast<QPixmap*>(device)->copy(pixels).toImage();
    return {};
}
} // namespace

MemDC::MemDC(QPainter* target, QRect area, bool copyBackground)
    : target_(target), area_(area.isNull() || area == QRect(0, 0, 0, 0) ? ClipBox(target) : area) {
    surface_ = fw::CreateSurface(area_.size(), fw::DevicePixelRatioOf(*target_));
    if (surface_.isNull())
        return;
    if (copyBackground) {
        const QImage under = ReadBack(target_, area_);
        if (!under.isNull()) {
            QPainter copy(&surface_);
            copy.setCompositionMode(QPainter::CompositionMode_Source);
            copy.drawImage(QRectF(QPointF(0, 0), QSizeF(area_.size())), under);
        }
    }
    begin(&surface_);
    // Drawing code uses the target's coordinates.
    translate(-area_.topLeft());
}

MemDC::~MemDC() {
    if (isActive())
        end();
    fw::CopySurface(*target_, area_.topLeft(), surface_);
}
