#include "GlimraUtilityDlg.h"

#include "Framework/Resources.h"

#include <QDialog>

GlimraUtilityDlg::GlimraUtilityDlg(fw::Dialog* parent) : fw::Dialog(IDD, parent) {}

bool GlimraUtilityDlg::OnInitDialog() {
    Widget()->setWindowTitle(QStringLiteral("Glimra Utility"));
    Widget()->setWindowIcon(fw::Resources::LoadIcon(128));
    return true;
}
