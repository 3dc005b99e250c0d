#pragma once

#include <QAbstractButton>

#include <array>
#include <functional>

// A keyboard and screen-reader stand-in for a part of a control that the mouse hits by
// position (the colour plate's swatches): Tab reaches it, Space presses
// it, and it tells assistive technology its name and whether it is the selected one (checked,
// which only its owner sets: a press does not toggle it). It lets every mouse event through and
// draws only a focus frame while the keyboard has put it in focus, so the skin looks as before.
class KeyboardProxy : public QAbstractButton {
    Q_OBJECT
public:
    explicit KeyboardProxy(QWidget* parent);

    void SetAction(std::function<void()> action) { action_ = std::move(action); }

    // Places the eight swatches' stand-ins (swatch 1 first) over a colour plate at plate, each
    // halfway across its ring sector.
    static void PlaceOverPlate(const std::array<KeyboardProxy*, 8>& proxies, const QRect& plate);

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::function<void()> action_;
    bool keyboardFocus_ = false;
};
