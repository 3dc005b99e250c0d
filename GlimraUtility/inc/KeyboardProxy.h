#pragma once

#include <QAbstractButton>

#include <array>
#include <functional>

// A keyboard and screen-reader stand-in for a part of a control that the mouse hits by
// position (the colour plate's swatches and its centre switch): Tab reaches it, Space presses
// it, and it tells assistive technology its name. It lets every mouse event through and draws
// only a focus frame while the keyboard has put it in focus, so the skin looks as before.
class KeyboardProxy : public QAbstractButton {
    Q_OBJECT
public:
    explicit KeyboardProxy(QWidget* parent);

    void SetAction(std::function<void()> action) { action_ = std::move(action); }

    // Places the centre switch (index 0) and the eight swatches (1-8) over a colour plate at
    // plate: each swatch halfway across its ring sector, the switch over the centre.
    static void PlaceOverPlate(const std::array<KeyboardProxy*, 9>& proxies, const QRect& plate);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::function<void()> action_;
    bool keyboardFocus_ = false;
};
