#include "GlimraUtilityDlg.h"

int GlimraUtilityDlg::Refresh() {
    RefreshFromController();
    // A refresh whose layout read failed leaves the lighting controls disabled.
    return Lighting().View().controlsEnabled ? 1 : 0;
}
