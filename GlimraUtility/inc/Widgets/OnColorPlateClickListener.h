#pragma once

// Told by the colour plate of every pick and every toggle, on the window's thread. Owned
// elsewhere; the plate only borrows it.
class OnColorPlateClickListener {
public:
    // A swatch was picked: 1 red, 2 white, 3 cyan, 4 blue, 5 green, 6 yellow, 7 orange,
    // 8 purple.
    virtual void onColorClick(int swatch) = 0;
    // The centre switch was clicked; on is its new state.
    virtual void onSwitchClick(bool on) = 0;

protected:
    ~OnColorPlateClickListener() = default;
};
