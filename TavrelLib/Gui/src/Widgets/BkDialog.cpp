#include "Widgets/BkDialog.h"

#include "Framework/Drawing/Images.h"
#include "Framework/Drawing/Surface.h"
#include "Framework/Resources.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

BkDialog::BkDialog(unsigned templateId, fw::Dialog* parent) : TrBaseDialog(templateId, parent) {}

BkDialog::~BkDialog() {
    background_ = QImage();
    dense_ = QImage();
    backgroundWidth_ = 0;
    backgroundHeight_ = 0;
}

int BkDialog::SetBackground(unsigned bitmapId) {
    QImage bitmap = fw::Resources::LoadBitmap(bitmapId);
    QImage dense;
    // The dense tile is only worth decoding where some screen draws at more than 1x.
    if (!bitmap.isNull() && qApp && qApp->devicePixelRatio() > 1.0)
        dense = fw::LoadImageFile(
            QStringLiteral("%1/bitmap/%2@2x.png").arg(fw::Resources::Source()).arg(bitmapId));
    return SetBackground(std::move(bitmap), std::move(dense));
}

int BkDialog::SetBackground(QImage bitmap, QImage dense) {
    background_ = QImage();
    dense_ = QImage();
    backgroundWidth_ = 0;
    backgroundHeight_ = 0;
    if (!bitmap.isNull()) {
        // Converted in place when the image is ours alone: one buffer, not two.
        background_ = std::move(bitmap).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        background_.setDevicePixelRatio(1.0);
        backgroundWidth_ = background_.width();
        backgroundHeight_ = background_.height();
        if (dense.size() == 2 * background_.size()) {
            dense_ = std::move(dense).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            dense_.setDevicePixelRatio(2.0);
        }
    }
    if (Widget())
        Widget()->update();
    return 0;
}

void BkDialog::PaintBackground(QPainter& painter, const QSize& client) const {
    if (background_.isNull() || client.isEmpty())
        return;
    const qreal ratio = fw::DevicePixelRatioOf(painter);
    const QImage& tile = ratio > 1.0 && !dense_.isNull() ? dense_ : background_;
    // Straight into the target: the window's back store already keeps the paint off the screen
    // until it is whole, so a surface of our own would only be a second copy of the window.
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), client), Qt::IntersectClip);
    const QColor fill =
        Widget() ? Widget()->palette().color(Widget()->backgroundRole()) : QColor(Qt::white);
    painter.fillRect(QRect(QPoint(0, 0), client), fill);
    // Rows from the top, copies from the left; the last row and column are clipped.
    for (int y = 0; y < client.height(); y += backgroundHeight_)
        for (int x = 0; x < client.width(); x += backgroundWidth_)
            fw::DrawImage(painter, tile, QRectF(x, y, backgroundWidth_, backgroundHeight_));
    painter.restore();
}

bool BkDialog::StartSystemMove() {
    QWindow* window = Widget() ? Widget()->windowHandle() : nullptr;
    return window && window->startSystemMove();
}

bool BkDialog::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        if (!background_.isNull()) {
            QPainter painter(Widget());
            PaintBackground(painter, Widget()->size());
        }
        break;
    case QEvent::MouseButtonPress:
        if (dragMove_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            StartSystemMove();
        break;
    case QEvent::Resize:
        if (!background_.isNull())
            Widget()->update();
        break;
    default:
        break;
    }
    return TrBaseDialog::OnWidgetEvent(event);
}
