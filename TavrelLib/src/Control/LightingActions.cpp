#include "Control/LightingActions.h"

#include "App/LogFile.h"
#include "Control/LightingModeTable.h"
#include "Control/SwatchTable.h"
#include "Protocol/ControllerProtocol.h"

#include <chrono>
#include <thread>

namespace {

void Pause(unsigned ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

LightingActions::LightingActions(ControllerProtocol* protocol, LogFile* log)
    : protocol_(protocol), log_(log) {}

int LightingActions::RefreshFromController() {
    const int ok = protocol_->ReadLayout();
    EnableLightingControls(ok != 0);
    if (!ok)
        return 0;

    const LightingModel& model = protocol_->Model();
    if (log_)
        log_->Write(QString::fromLatin1(model.RecordDump()));

    if (protocol_->ReadVersion()) {
        // The reply may carry its terminating zero and whatever follows it.
        const std::string& text = model.VersionText();
        const std::size_t end = text.find('\0');
        const std::size_t length = end == std::string::npos ? text.size() : end;
        view_.version = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(length));
        view_.versionText = QStringLiteral("V ") + view_.version;
    }
    ShowModel();
    return 1;
}

RgbColour LightingActions::NormaliseColour() const {
    RgbColour led{0, 0, 0};
    protocol_->Model().GetLedColour(CurrentHandle, led.red, led.green, led.blue);
    return SwatchTable::NormaliseColour(led);
}

void LightingActions::ShowModel() {
    LightingModel& model = protocol_->Model();
    RgbColour colour = NormaliseColour();
    view_.swatch = SwatchTable::SwatchForColour(colour);
    model.SetBaseColour(CurrentHandle, colour.red, colour.green, colour.blue);
    view_.on = model.GetEnable(CurrentHandle) != 0;

    RgbColour led{0, 0, 0};
    model.GetLedColour(CurrentHandle, led.red, led.green, led.blue);
    ShowBrightnessLevel(model.LevelForColour(CurrentHandle, led.red, led.green, led.blue));

    SetModeIndex(LightingModeTable::ModeIndexFor(model.GetMode(CurrentHandle),
                                                 model.GetReferenceMode(CurrentHandle)));
}

void LightingActions::SelectSwatch(int swatch) {
    LightingModel& model = protocol_->Model();
    const RgbColour colour = SwatchTable::SwatchColour(swatch);
    model.SetBaseColour(CurrentHandle, colour.red, colour.green, colour.blue);
    RgbColour shown{0, 0, 0};
    model.GetDisplayColour(CurrentHandle, shown.red, shown.green, shown.blue);
    protocol_->SetColor(CurrentHandle, shown.red, shown.green, shown.blue, 1);
    // A pick on the plate marks the swatch and switches the plate on by itself.
    if (swatch >= 1 && swatch <= SwatchTable::SwatchCount)
        view_.swatch = swatch;
    view_.on = true;
}

bool LightingActions::StepBrightness(bool up) {
    unsigned level = protocol_->Model().GetLevel(CurrentHandle);
    if (up) {
        if (level >= MaxLevel)
            return false;
        ++level;
    } else {
        if (level <= MinLevel)
            return false;
        --level;
    }
    SetBrightnessLevel(level);
    return true;
}

void LightingActions::SetBrightnessLevel(unsigned level) {
    ShowBrightnessLevel(level);
    RgbColour shown{0, 0, 0};
    protocol_->Model().GetDisplayColour(CurrentHandle, shown.red, shown.green, shown.blue);
    protocol_->SetColor(CurrentHandle, shown.red, shown.green, shown.blue, 1);
}

void LightingActions::SelectMode(int modeIndex) {
    const int current = view_.modeIndex;
    if (current == 1 || current == 3 || current == 5) {
        // These modes drive the colour themselves; put the stored one back before the switch.
        RgbColour stored{0, 0, 0};
        protocol_->Model().GetLedColour(CurrentHandle, stored.red, stored.green, stored.blue);
        protocol_->SetColor(CurrentHandle, stored.red, stored.green, stored.blue, 1);
        Pause(ModeChangePauseMs);
    }
    if (const LightingModeRow* row = LightingModeTable::Row(modeIndex)) {
        protocol_->SetEffect(CurrentHandle, row->mode, row->period, row->speed,
                             row->referencesOwnHandle ? CurrentHandle : std::uint8_t{0xFF},
                             row->referenceMode, row->direction);
    }
    SetModeIndex(modeIndex);
}

void LightingActions::ToggleEnable(bool on) {
    protocol_->SetEnable(CurrentHandle, on ? 1 : 0);
    view_.on = on;
}

void LightingActions::EnableLightingControls(bool enable) {
    view_.brightnessEnabled = enable;
    view_.controlsEnabled = enable;
    view_.on = enable;
    view_.versionShown = enable;
}

void LightingActions::ShowBrightnessLevel(unsigned level) {
    protocol_->Model().SetLevel(CurrentHandle, level);
    view_.level = level;
}

void LightingActions::DefaultRestore() {
    protocol_->RestoreDefaults();
}

void LightingActions::DefaultAddAllLeds() {
    protocol_->SetElements(CurrentHandle, 0xFFFF, 1);
}

int LightingActions::RunDefaultSequence() {
    DefaultRestore();
    Pause(DefaultElementsDelayMs);
    DefaultAddAllLeds();
    Pause(DefaultRefreshDelayMs);
    return DefaultReadBack();
}

void LightingActions::SetModeIndex(int modeIndex) {
    view_.modeIndex = modeIndex;
    const bool colour = LightingModeTable::AcceptsColour(modeIndex);
    view_.brightnessEnabled = colour;
    view_.colourEnabled = colour;
}
