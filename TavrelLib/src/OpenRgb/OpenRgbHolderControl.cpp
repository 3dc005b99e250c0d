#include "OpenRgb/OpenRgbHolderControl.h"

#include "Control/LightingHolder.h"
#include "Model/LightingModel.h"
#include "OpenRgb/OpenRgbDeviceModel.h"
#include "Protocol/ControllerProtocol.h"

#include <algorithm>

bool OpenRgbHolderControl::CanDrive() const {
    return holder_.IsConnected() && !holder_.IsBusy() && holder_.Protocol() &&
           holder_.View().controlsEnabled;
}

bool OpenRgbHolderControl::IsOn() const {
    const ControllerProtocol* protocol = holder_.Protocol();
    return protocol && protocol->Model().GetEnable(0) != 0;
}

void OpenRgbHolderControl::SwitchTo(bool on) {
    // The plate's switch toggles what the plate shows, which can differ from the controller
    // after a swatch pick while off: then a second click is what a user would make.
    for (int click = 0; click < 2 && IsOn() != on; ++click)
        holder_.ClickSwitch();
}

void OpenRgbHolderControl::SelectWindowMode(int modeIndex) {
    if (holder_.View().modeIndex != modeIndex)
        holder_.ClickMode(modeIndex);
}

void OpenRgbHolderControl::ShowSwatchAndLevel(int swatch, unsigned level) {
    if (!holder_.View().colourEnabled)
        return;
    if (swatch != 0 && swatch != holder_.View().swatch)
        holder_.ClickSwatch(swatch);
    if (level != holder_.View().level)
        holder_.StepToLevel(level);
}

void OpenRgbHolderControl::SelectMode(int mode, std::optional<RgbColour> colour,
                                      std::optional<quint32> brightness) {
    if (!CanDrive())
        return;
    if (mode == OpenRgbDeviceModel::OffMode) {
        SwitchTo(false);
        return;
    }
    const int modeIndex = OpenRgbDeviceModel::WindowModeIndex(mode);
    if (modeIndex < 0)
        return;
    const bool takesColour = OpenRgbDeviceModel::ModeHasColour(mode);
    if (takesColour && colour && OpenRgbDeviceModel::LevelForValue(*colour) == 0) {
        SelectWindowMode(modeIndex);
        SwitchTo(false);
        return;
    }
    SwitchTo(true);
    SelectWindowMode(modeIndex);
    if (!takesColour)
        return;

    const unsigned current = holder_.View().level;
    const unsigned base =
        brightness ? static_cast<unsigned>(std::clamp<quint32>(
                         *brightness, OpenRgbDeviceModel::MinLevel, OpenRgbDeviceModel::MaxLevel))
                   : std::max(current, OpenRgbDeviceModel::MinLevel);
    int swatch = 0; // keep the one shown
    unsigned level = base;
    if (colour) {
        swatch = OpenRgbDeviceModel::NearestSwatch(*colour);
        const unsigned value = std::max({colour->red, colour->green, colour->blue});
        level = std::max((base * value + 127) / 255, OpenRgbDeviceModel::MinLevel);
    }
    ShowSwatchAndLevel(swatch, level);
}

void OpenRgbHolderControl::SetLedColour(RgbColour colour) {
    if (!CanDrive())
        return;
    const unsigned level = OpenRgbDeviceModel::LevelForValue(colour);
    if (level == 0) {
        SwitchTo(false);
        return;
    }
    SwitchTo(true);
    ShowSwatchAndLevel(OpenRgbDeviceModel::NearestSwatch(colour), level);
}

void OpenRgbHolderControl::SelectCustomMode() {
    if (CanDrive())
        SelectWindowMode(0);
}
