#include "WidgetApplication.h"

#include "Framework/App.h"
#include "Framework/Dialog.h"
#include "Framework/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace fw {

namespace {

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    const QString title = caption.isEmpty() ? QCoreApplication::applicationName() : caption;
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    (style & MB_OKCANCEL) ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    owner);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

} // namespace

bool InstallWidgetApplication() {
    App::SetApplicationFactory([](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<QApplication>(argc, argv);
    });
    App::SetQuitHandler([] { Dialog::EndAllModal(IDCANCEL); });
    SetMessageBoxShower(ShowMessageBox);
    return true;
}

} // namespace fw
