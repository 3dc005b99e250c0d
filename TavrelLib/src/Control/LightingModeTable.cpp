#include "Control/LightingModeTable.h"

namespace {

constexpr LightingModeRow kRows[LightingModeTable::ModeCount] = {
    {0, 0, 0, false, 0, 1},         // Static
    {4, 1031, 3352, false, 0, 1},   // Strobe
    {1, 1805, 164, false, 0, 1},    // Breath
    {2, 1805, 132, false, 0, 1},    // Gradual
    {3, 1805, 0x6800, false, 0, 1}, // Static Cycle
    {1, 1805, 132, true, 3, 1},     // Breath Cycle
};

} // namespace

const LightingModeRow* LightingModeTable::Row(int modeIndex) {
    if (modeIndex < 0 || modeIndex >= ModeCount)
        return nullptr;
    return &kRows[modeIndex];
}

int LightingModeTable::ModeIndexFor(std::uint8_t mode, std::uint8_t referenceMode) {
    switch (mode) {
    case 4:
        return 1;
    case 0:
        return referenceMode == 3 ? 4 : 0;
    case 1:
        return referenceMode == 3 ? 5 : 2;
    case 2:
        return 3;
    default:
        // Mode 3 (Static Cycle as sent) comes back as Gradual's index, as the window has it.
        return mode;
    }
}
