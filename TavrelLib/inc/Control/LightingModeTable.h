#pragma once

#include <cstdint>

// The six lighting modes the main window offers, by mode index (their place in the mode group),
// and how a handle's effect reads back as one of them.
struct LightingModeRow {
    std::uint8_t mode;
    std::uint16_t period;
    std::uint16_t speed;
    // Breath Cycle follows the handle it is set on; the others follow no handle.
    bool referencesOwnHandle;
    std::uint8_t referenceMode;
    std::uint8_t direction;
};

class LightingModeTable {
public:
    static constexpr int ModeCount = 6;
    // Modes above this index cycle through colours of their own: colour and brightness are off.
    static constexpr int LastColourMode = 2;

    // None for an index outside 0-5.
    static const LightingModeRow* Row(int modeIndex);

    // The mode index a handle's mode and reference mode stand for. A mode the window does not
    // know reads back as its own value, so it selects no button.
    static int ModeIndexFor(std::uint8_t mode, std::uint8_t referenceMode);

    static bool AcceptsColour(int modeIndex) { return modeIndex <= LastColourMode; }
};
