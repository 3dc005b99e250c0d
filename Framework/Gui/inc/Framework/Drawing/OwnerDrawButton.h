#pragma once

#include <QAbstractButton>
#include <QTimer>

class QPainter;

namespace fw {

// A push-button control that its owner draws. Every paint runs the control-colour step
// (OnCtlColor) and then DrawItem on the same painter. Mouse input arrives as the button
// messages: a double click is delivered as a press, the release goes to the button that saw the
// press also when the pointer is outside it (the implicit capture), and a release over the
// button emits clicked(). Hover and leave notifications come after TrackMouseEvent.
//
// Keyboard: the button takes focus with Tab, Space presses and releases it through the same
// handlers as the left mouse button, and a keyboard-given focus shows a dotted frame that is
// drawn over the owner's pixels only while focused.
class OwnerDrawButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit OwnerDrawButton(QWidget* parent = nullptr);

    // The dialog control id the button stands for (-1 when none).
    int GetDlgCtrlID() const { return controlId_; }
    void SetDlgCtrlID(int id) { controlId_ = id; }

    // Asks for one OnMouseHover once the pointer has rested on the button for hoverMs, and one
    // OnMouseLeave when it leaves; true when the request was taken.
    bool TrackMouseEvent(int hoverMs);

    // Whether the keyboard focus frame is showing.
    bool ShowsFocusFrame() const;

    // A left press and release in the middle of the button, through the same handlers as the
    // mouse's: what a click means to the owner happens (assistive tools press buttons so).
    void ClickInMiddle();

protected:
    // Control-colour step, before every DrawItem.
    virtual void OnCtlColor(QPainter& painter);
    virtual void DrawItem(QPainter& painter);

    // Default handling of each is the standard push button's.
    virtual void OnLButtonDown(QMouseEvent* event);
    virtual void OnLButtonUp(QMouseEvent* event);
    virtual void OnMouseMove(QMouseEvent* event);
    virtual void OnMouseHover() {}
    virtual void OnMouseLeave() {}
    // The keyboard press ended without a release (the focus went elsewhere).
    virtual void OnPressCancelled() {}

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void DrawFocusFrame(QPainter& painter);
    void HoverTimeout();

    int controlId_ = -1;
    bool inside_ = false;
    bool hoverRequested_ = false;
    bool leaveRequested_ = false;
    bool keyboardFocus_ = false;
    bool spaceDown_ = false;
    QTimer hoverTimer_;
};

} // namespace fw
