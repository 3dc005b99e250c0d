#pragma once

#include "Control/LightingView.h"
#include "Model/ColourConversion.h"

#include <cstdint>

class ControllerProtocol;
class LogFile;

// The lighting actions of the main window without the window: what each user choice sends to
// the controller, in which order, and what the lighting controls then show (View). The window
// delegates to it and copies View into its controls; the command-line tool runs it directly.
// Everything runs on the thread that owns the protocol's request target.
class LightingActions {
public:
    // The window always works on the controller's first handle.
    static constexpr std::uint8_t CurrentHandle = 0;
    // Gaps of the Default sequence: restore, then add every LED, then read everything back.
    static constexpr unsigned DefaultElementsDelayMs = 10;
    static constexpr unsigned DefaultRefreshDelayMs = 50;
    // After re-sending the colour when leaving Strobe, Gradual or Breath Cycle.
    static constexpr unsigned ModeChangePauseMs = 50;
    static constexpr unsigned MinLevel = 1;
    static constexpr unsigned MaxLevel = 8;

    // Both borrowed; log may be null (no record dump is written then).
    LightingActions(ControllerProtocol* protocol, LogFile* log);
    LightingActions(const LightingActions&) = delete;
    LightingActions& operator=(const LightingActions&) = delete;

    // Reads layout and version, writes the record dump to the log and rebuilds the view from the
    // model. 1 when the layout was read; 0 leaves everything but the enabled states alone.
    int RefreshFromController();
    // Steps after the reads: swatch, base colour, on state, level and mode from the model.
    void ShowModel();

    void SelectSwatch(int swatch);
    // false when the level is already at its limit: then nothing is sent.
    bool StepBrightness(bool up);
    // Shows this level and sends the colour at it, as a step to it would.
    void SetBrightnessLevel(unsigned level);
    void SelectMode(int modeIndex);
    void ToggleEnable(bool on);
    void EnableLightingControls(bool enable);
    void ShowBrightnessLevel(unsigned level);

    // The Default sequence in its three steps, for a caller that times the gaps itself (the
    // window's timers 1, 2 and 3), and all of it with plain waits between.
    void DefaultRestore();
    void DefaultAddAllLeds();
    int DefaultReadBack() { return RefreshFromController(); }
    int RunDefaultSequence();

    // The derivation of a refresh, from the model's colour of the current handle.
    RgbColour NormaliseColour() const;

    const LightingView& View() const { return view_; }
    int CurrentModeIndex() const { return view_.modeIndex; }
    ControllerProtocol* Protocol() const { return protocol_; }

private:
    void SetModeIndex(int modeIndex);

    ControllerProtocol* protocol_;
    LogFile* log_;
    LightingView view_;
};
