#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>

class QPaintDevice;
class QPainter;

namespace fw {

// Off-screen surfaces: images of a logical size at a device pixel ratio, drawn into with logical
// coordinates and put on their target in one block copy, so what is composed there never
// flickers on screen.

// A transparent surface of the logical size at the ratio (at least one device pixel a side
// unless the size is empty, which gives a null image).
QImage CreateSurface(const QSize& logicalSize, qreal devicePixelRatio);

// Replaces the target's pixels under the surface, placed at the logical point, by the
// surface's (a copy, not a blend).
void CopySurface(QPainter& target, const QPointF& at, const QImage& surface);

// The device pixel ratio of what the painter draws on (1 without a device).
qreal DevicePixelRatioOf(const QPainter& painter);

// The device's area in its logical coordinates.
QRect LogicalBounds(const QPaintDevice& device);

} // namespace fw
