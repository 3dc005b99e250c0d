#pragma once

#include "Framework/Dialog.h"

// The help dialog: six numbered steps on controlling the lights, the version line and a link to
// the maker's site. Built from template 100 of the current resource source, so a language pack
// brings its own frame and static texts; the steps are English in every language.
class CAboutDlg : public fw::Dialog {
    Q_OBJECT
public:
    enum { IDD = 100 };
    enum { IDC_HELP_TEXT = 1022, IDC_LINK = 1023 };

    explicit CAboutDlg(fw::Dialog* parent = nullptr);

    // The steps, CR LF between them and none after the last.
    static QString HelpText();

protected:
    bool OnInitDialog() override;
};
