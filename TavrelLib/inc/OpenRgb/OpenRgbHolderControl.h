#pragma once

#include "Model/ColourConversion.h"

#include <QtGlobal>

#include <optional>

class LightingHolder;

// Turns what an OpenRGB client asks for into clicks on the holder's controls, in the order a
// user would make them, and only on controls the holder shows enabled. Nothing happens while
// the holder has no controller or is busy (a firmware update).
class OpenRgbHolderControl {
public:
    explicit OpenRgbHolderControl(LightingHolder& holder) : holder_(holder) {}

    // One of our modes (OpenRgbDeviceModel's numbering). A colour mode takes the colour's swatch
    // and, as the brightness, the colour's value scaled by brightness / 8; black switches off.
    // Without a colour the swatch stays, and without a brightness the level.
    void SelectMode(int mode, std::optional<RgbColour> colour, std::optional<quint32> brightness);
    // The LED's colour: black switches off; otherwise the lights go on and, in a mode that takes
    // colour, the nearest swatch and the colour's level are shown.
    void SetLedColour(RgbColour colour);
    // OpenRGB's "custom mode" before per-LED colours: our Static.
    void SelectCustomMode();

private:
    bool CanDrive() const;
    bool IsOn() const;
    void SwitchTo(bool on);
    void SelectWindowMode(int modeIndex);
    // Swatch 0 keeps the one shown.
    void ShowSwatchAndLevel(int swatch, unsigned level);

    LightingHolder& holder_;
};
