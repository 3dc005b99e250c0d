#pragma once

#include "Control/LightingView.h"

#include <functional>

class ControllerProtocol;

// Whoever holds the controller for this user right now: the main window, or the background
// service when no window runs. The session-bus object and the OpenRGB SDK server drive the
// lights through it, so every change does exactly what the click on the window's control does
// (and the window, when it is the holder, shows it at once). Every call runs on the holder's
// thread.
class LightingHolder {
public:
    virtual ~LightingHolder() = default;

    // A controller is open and was read back.
    virtual bool IsConnected() const = 0;
    // The holder cannot be driven now (the window has another dialog open, a firmware update
    // above all).
    virtual bool IsBusy() const = 0;
    // What the lighting controls show now.
    virtual const LightingView& View() const = 0;
    // Reads everything back and shows it, as after connecting; 1 when the controller answered.
    virtual int Refresh() = 0;
    // The open controller's protocol (its model holds the records read back); null when none.
    virtual const ControllerProtocol* Protocol() const = 0;
    // Whether the last frame sent did not reach the controller.
    virtual bool LastWriteFailed() const = 0;

    // The clicks. Callers check View()'s enabled states first, as a user can only click an
    // enabled control.
    virtual void ClickSwatch(int swatch) = 0;
    virtual void ClickSwitch() = 0;
    virtual void ClickPlus() = 0;
    virtual void ClickMinus() = 0;
    virtual void ClickMode(int index) = 0;
    virtual void ClickRecover() = 0;
    // Starts the Default sequence (restore, add every LED, read back, with its gaps); done runs
    // on the holder's thread once it has ended, with whether the read-back answered.
    virtual void ClickDefault(std::function<void(bool answered)> done) = 0;

    // Brings the brightness to this level (1-8) as steps of Increase and Decrease would. A holder
    // that can show a level and send its colour in one go overrides it, so only one frame leaves.
    virtual void StepToLevel(unsigned level) {
        for (unsigned i = 0; i < 8 && View().brightnessEnabled && View().level < level; ++i)
            ClickPlus();
        for (unsigned i = 0; i < 8 && View().brightnessEnabled && View().level > level; ++i)
            ClickMinus();
    }

    // Shows and raises the holder's window; a holder without one does nothing.
    virtual void Activate() = 0;
};
