#include "GlimraUtilityApp.h"

#include "Bus/RunningInstance.h"
#include "Framework/HardwareAccess.h"
#include "Framework/Trace.h"
#include "GlimraUtilityDlg.h"

void GlimraUtilityApp::RegisterFonts() {
    const QString fonts = QStringLiteral("FONTS");
    CAP_FontInstaller& chain = fontInstaller_.AddFont(QStringLiteral("Camelot MF"), 1042, fonts)
                                   .AddFont(QStringLiteral("Gotham-Black"), 1028, fonts);
    // The rest name a family that is already listed, so they leave the list as it is.
    for (int id = 1029; id <= 1041; ++id)
        chain.AddFont(QStringLiteral("Gotham-Black"), id, fonts);
}

bool GlimraUtilityApp::InitInstance() {
    if (!CTavrelLibApp::InitInstance()) {
        // Refused as a second start: the user who started us again is looking for the window,
        // so the running instance shows it, also from the notification area.
        RunningInstance::Activate();
        return false;
    }
    fw::HardwareAccessInit();
    RegisterFonts();
    fontInstaller_.InstallFonts();

    GlimraUtilityDlg dlg;
    const int response = dlg.DoModal();
    if (response == -1) {
        fw::Trace(QStringLiteral("Warning: the main window could not be created."));
        fw::Trace(QStringLiteral("Warning: the application is ending."));
    } else if (response == GlimraUtilityDlg::RESULT_SKIN_FAILED) {
        fw::Trace(
            QStringLiteral("The main window's skin is incomplete; the application is ending."));
        exitCode_ = 1;
    }
    return false;
}

int GlimraUtilityApp::ExitInstance() {
    const int base = CTavrelLibApp::ExitInstance();
    return exitCode_ != 0 ? exitCode_ : base;
}
