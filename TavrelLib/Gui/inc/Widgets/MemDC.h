#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

// An off-screen painter for one drawing operation: it draws into a surface of the area's size
// (at the target's device pixel ratio) with the target's coordinates, and its destruction puts
// the whole area on the target in one copy. Nothing reaches the target before that.
class MemDC : public QPainter {
public:
    // target must be active. An empty area (0, 0, 0, 0) means the target's clip box (its whole
    // device without clipping). With copyBackground the surface starts with the target's
    // current pixels of the area when the target is an image or pixmap; otherwise it starts
    // transparent.
    MemDC(QPainter* target, QRect area = QRect(), bool copyBackground = false);
    ~MemDC();
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;

    const QRect& Area() const { return area_; }
    const QImage& Surface() const { return surface_; }

private:
    QPainter* target_;
    QRect area_;
    QImage surface_;
};
