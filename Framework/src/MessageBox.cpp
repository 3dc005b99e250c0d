#include "Framework/MessageBox.h"

#include "Framework/Dialog.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>

namespace fw {

namespace {
MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    // A copy: the hook may replace itself while it answers.
    if (const MessageBoxHook hook = Hook())
        return hook(text, caption, style);
    if (!qEnvironmentVariableIsEmpty("GLIMRA_AUTO_DISMISS"))
        return IDOK;
    const QString title = caption.isEmpty() ? QCoreApplication::applicationName() : caption;
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    (style & MB_OKCANCEL) ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    owner);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

} // namespace fw
