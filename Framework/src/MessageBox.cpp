#include "Framework/MessageBox.h"

#include <QtGlobal>

#include <cstdio>

namespace fw {

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

MessageBoxShower& Shower() {
    static MessageBoxShower shower;
    return shower;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

void SetMessageBoxShower(MessageBoxShower shower) {
    Shower() = std::move(shower);
}

int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    // A copy: the hook may replace itself while it answers.
    if (const MessageBoxHook hook = Hook())
        return hook(text, caption, style);
    if (!qEnvironmentVariableIsEmpty("GLIMRA_AUTO_DISMISS"))
        return IDOK;
    if (const MessageBoxShower& shower = Shower())
        return shower(owner, text, caption, style);
    return IDOK;
}

} // namespace fw
