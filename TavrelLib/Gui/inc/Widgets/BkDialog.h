#pragma once

#include "Protocol/TrBaseDialog.h"

#include <QImage>

class QEvent;
class QPainter;

// The skin layer of a dialog: a background bitmap tiled behind all controls through one
// off-screen surface, and an optional drag-move by pressing anywhere on the body. Static texts
// show the background around their text, as labels draw no background of their own unless a
// window asks for one (autoFillBackground); sliders keep their style's look.
class BkDialog : public TrBaseDialog {
    Q_OBJECT
public:
    explicit BkDialog(unsigned templateId, fw::Dialog* parent = nullptr);
    ~BkDialog() override;

    // The bitmap with this id from the current resource source (and its "@2x" companion for
    // dense screens when the source has one). A missing bitmap removes the background.
    int SetBackground(unsigned bitmapId);
    // Replaces the background; a null image removes it. dense, when given, is the same picture
    // at twice the size. Repaints the whole window; returns 0.
    int SetBackground(QImage bitmap, QImage dense = QImage());
    void SetDragMove(bool dragMove) { dragMove_ = dragMove; }

    bool HasBackground() const { return !background_.isNull(); }
    int BackgroundWidth() const { return backgroundWidth_; }
    int BackgroundHeight() const { return backgroundHeight_; }

    // Paints the tiled background of a client area of the given size onto the painter, composed
    // in one off-screen surface at the painter's device pixel ratio; nothing without a
    // background. The fill under the tiles is the window's background colour.
    void PaintBackground(QPainter& painter, const QSize& client) const;

protected:
    bool OnWidgetEvent(QEvent* event) override;
    // Hands a window move to the window system; false when it cannot take it.
    virtual bool StartSystemMove();

private:
    QImage background_;
    QImage dense_;
    int backgroundWidth_ = 0;
    int backgroundHeight_ = 0;
    bool dragMove_ = false;
};
