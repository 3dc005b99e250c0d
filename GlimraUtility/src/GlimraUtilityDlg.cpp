#include "GlimraUtilityDlg.h"

#include "Framework/Resources.h"

#include <QDialog>

namespace {
constexpr int IDC_MIN = 1006;
constexpr int IDC_CLOSE = 1010;
} // namespace

GlimraUtilityDlg::GlimraUtilityDlg(fw::Dialog* parent) : fw::Dialog(IDD, parent) {
    // The window has no frame, so its own Min and Close buttons are the only way to either.
    OnMessage(fw::WM_COMMAND, [this](fw::WPARAM wParam, fw::LPARAM) -> fw::LRESULT {
        switch (static_cast<int>(wParam & 0xFFFF)) {
        case IDC_CLOSE:
        case fw::IDCANCEL:
            OnCancel();
            break;
        case IDC_MIN:
            Widget()->showMinimized();
            break;
        case fw::IDOK:
            OnOK();
            break;
        default:
            break;
        }
        return 0;
    });
}

bool GlimraUtilityDlg::OnInitDialog() {
    Widget()->setWindowTitle(QStringLiteral("Glimra Utility"));
    Widget()->setWindowIcon(fw::Resources::LoadIcon(128));
    return true;
}
