#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace fw {

enum : int { IDOK = 1, IDCANCEL = 2 };
enum : unsigned { MB_OK = 0x0, MB_OKCANCEL = 0x1 };

// A modal message box; returns IDOK or IDCANCEL. The text also goes to stderr, so a user who
// started us from a terminal sees it. With GLIMRA_AUTO_DISMISS set (tests, headless runs) the
// box is not shown and the answer is IDOK. A process without the window layer shows nothing
// more than the stderr line and answers IDOK.
int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style);

// Tests see every box and give its answer here, instead of a shown box or GLIMRA_AUTO_DISMISS.
// An empty function restores the normal boxes.
using MessageBoxHook =
    std::function<int(const QString& text, const QString& caption, unsigned style)>;
void SetMessageBoxHook(MessageBoxHook hook);

// How a box is shown on screen: installed by the window layer when it is linked.
using MessageBoxShower =
    std::function<int(QWidget* owner, const QString& text, const QString& caption, unsigned style)>;
void SetMessageBoxShower(MessageBoxShower shower);

} // namespace fw
