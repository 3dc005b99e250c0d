#include "Framework/Drawing/OwnerDrawButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace fw {

OwnerDrawButton::OwnerDrawButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    hoverTimer_.setSingleShot(true);
    connect(&hoverTimer_, &QTimer::timeout, this, [this] { HoverTimeout(); });
}

bool OwnerDrawButton::TrackMouseEvent(int hoverMs) {
    hoverRequested_ = true;
    leaveRequested_ = true;
    hoverTimer_.start(hoverMs < 0 ? 0 : hoverMs);
    return true;
}

void OwnerDrawButton::HoverTimeout() {
    if (!hoverRequested_ || !inside_)
        return;
    hoverRequested_ = false;
    OnMouseHover();
}

bool OwnerDrawButton::ShowsFocusFrame() const {
    return keyboardFocus_ && hasFocus();
}

void OwnerDrawButton::ClickInMiddle() {
    const QPointF centre = QRectF(rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    OnLButtonDown(&press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    OnLButtonUp(&release);
}

void OwnerDrawButton::OnCtlColor(QPainter&) {}
void OwnerDrawButton::DrawItem(QPainter&) {}

void OwnerDrawButton::OnLButtonDown(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
}

void OwnerDrawButton::OnLButtonUp(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);
}

void OwnerDrawButton::OnMouseMove(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
}

void OwnerDrawButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    OnCtlColor(painter);
    DrawItem(painter);
    if (ShowsFocusFrame())
        DrawFocusFrame(painter);
}

void OwnerDrawButton::DrawFocusFrame(QPainter& painter) {
    // Dark and light dots in turn, so the frame shows on any skin.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QPen light(QColor(255, 255, 255, 220), 1);
    painter.setPen(light);
    painter.drawRect(frame);
    QPen dark(QColor(0, 0, 0, 220), 1, Qt::DotLine);
    painter.setPen(dark);
    painter.drawRect(frame);
    painter.restore();
}

void OwnerDrawButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event);
    else
        QAbstractButton::mousePressEvent(event);
}

void OwnerDrawButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // Fast repeated clicks all count: the second press of a double click is a press.
    mousePressEvent(event);
}

void OwnerDrawButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(event);
    else
        QAbstractButton::mouseReleaseEvent(event);
}

void OwnerDrawButton::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(event);
}

void OwnerDrawButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat() || spaceDown_)
        return;
    spaceDown_ = true;
    const QPointF centre = QRectF(rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    OnLButtonDown(&press);
}

void OwnerDrawButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QAbstractButton::keyReleaseEvent(event);
        return;
    }
    if (event->isAutoRepeat() || !spaceDown_)
        return;
    spaceDown_ = false;
    const QPointF centre = QRectF(rect()).center();
    QMouseEvent release(QEvent::MouseButtonRelease, centre, mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    OnLButtonUp(&release);
}

void OwnerDrawButton::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    keyboardFocus_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                     reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
    update();
}

void OwnerDrawButton::focusOutEvent(QFocusEvent* event) {
    keyboardFocus_ = false;
    if (spaceDown_) {
        // Focus left while Space was held: the press ends without a click.
        spaceDown_ = false;
        setDown(false);
        OnPressCancelled();
    }
    QAbstractButton::focusOutEvent(event);
    update();
}

void OwnerDrawButton::enterEvent(QEnterEvent* event) {
    inside_ = true;
    QAbstractButton::enterEvent(event);
}

void OwnerDrawButton::leaveEvent(QEvent* event) {
    inside_ = false;
    hoverTimer_.stop();
    hoverRequested_ = false;
    if (leaveRequested_) {
        leaveRequested_ = false;
        OnMouseLeave();
    }
    QAbstractButton::leaveEvent(event);
}

} // namespace fw
