#include "WidgetApplication.h"

#include "Framework/App.h"
#include "Framework/Dialog.h"
#include "Framework/MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

namespace fw {

namespace {

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    const QString title = caption.isEmpty() ? QCoreApplication::applicationName() : caption;
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    (style & MB_OKCANCEL) ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    owner);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

// Ends the program from its event loop: every dialog as its Cancel would end it, then every
// loop still running (menus, the fade-out), so the normal shut-down runs.
void QuitFromSignal() {
    // A message box or file dialog of Qt's own may be running inside a handler of one of our
    // dialogs (a worker thread may even be waiting for it): close it, and cancel our dialogs
    // once its loop has returned.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && !Dialog::IsModalDialogWidget(modal)) {
        while (modal && !Dialog::IsModalDialogWidget(modal)) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->hide();
            QWidget* next = QApplication::activeModalWidget();
            if (next == modal)
                break;
            modal = next;
        }
        QTimer::singleShot(0, App::ApplicationScope(), [] { QuitFromSignal(); });
        return;
    }
    Dialog::CancelAllModal();
    QCoreApplication::exit(0);
}

} // namespace

bool InstallWidgetApplication() {
    App::SetApplicationFactory([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
        auto application = std::make_unique<QApplication>(argc, argv);
        // The main window may be hidden in the notification area: closing it never quits.
        QApplication::setQuitOnLastWindowClosed(false);
        return application;
    });
    App::SetQuitHandler(QuitFromSignal);
    SetMessageBoxShower(ShowMessageBox);
    return true;
}

} // namespace fw
