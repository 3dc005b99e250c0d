#pragma once

#include "Framework/Dialog.h"

// The main window, created from dialog template 103.
class GlimraUtilityDlg : public fw::Dialog {
    Q_OBJECT
public:
    enum { IDD = 103 };
    explicit GlimraUtilityDlg(fw::Dialog* parent = nullptr);

protected:
    bool OnInitDialog() override;
};
