#pragma once

#include "App/CTavrelLibApp.h"
#include "Widgets/AP_FontInstaller.h"

class GlimraUtilityApp : public CTavrelLibApp {
public:
    GlimraUtilityApp() = default;
    ~GlimraUtilityApp() override = default;

    // Runs the main window modally; always false, so the process ends when it closes.
    bool InitInstance() override;
    // The base's result, or 1 when the main window could not lay out its skin.
    int ExitInstance() override;

    const CAP_FontInstaller& FontInstaller() const { return fontInstaller_; }
    void RegisterFonts();

private:
    CAP_FontInstaller fontInstaller_;
    int exitCode_ = 0;
};
