#include "FirmwareUpdateCommand.h"

#include "App/LoadText.h"
#include "FirmwareDlg.h"
#include "Framework/MessageBox.h"
#include "Task/FirmwareImageCheck.h"

#include <QFileDialog>

namespace {

constexpr unsigned IDS_SHUTDOWN_WARNING = 1076;
constexpr unsigned IDS_NOTICE = 1080;
constexpr unsigned IDS_SELECT_FIRMWARE = 1084;
constexpr unsigned IDS_INVALID_FIRMWARE = 1086;

FirmwareFileChooser& Chooser() {
    static FirmwareFileChooser chooser;
    return chooser;
}

// attempt counts the file dialogs of one command, from 0.
QString ChooseFile(QWidget* owner, const QString& title, int attempt) {
    if (const FirmwareFileChooser chooser = Chooser())
        return chooser(owner, title);
    // Headless runs, where message boxes answer themselves: the first file dialog answers with
    // GLIMRA_FIRMWARE_FILE, any further one (after a refused file) with Cancel.
    if (!qEnvironmentVariableIsEmpty("GLIMRA_AUTO_DISMISS"))
        return attempt == 0 ? qEnvironmentVariable("GLIMRA_FIRMWARE_FILE") : QString();
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Only a file that exists can be an image.
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("(*.*) (*)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

void SetFirmwareFileChooser(FirmwareFileChooser chooser) {
    Chooser() = std::move(chooser);
}

void RunFirmwareUpdateCommand(fw::Dialog* mainWindow, CommManager* manager) {
    QWidget* owner = mainWindow ? mainWindow->Widget() : nullptr;
    QString path;
    for (int attempt = 0;; ++attempt) {
        path = ChooseFile(owner, LoadText(IDS_SELECT_FIRMWARE), attempt);
        if (path.isEmpty())
            return;
        // An empty image would flash an empty firmware and report success, and a FIFO or a
        // device would hang the transfer: refuse them before the controller is touched.
        if (CheckFirmwareImage(path) != FirmwareImageStatus::Invalid)
            break;
        fw::MessageBox(owner, LoadText(IDS_INVALID_FIRMWARE), LoadText(IDS_NOTICE), fw::MB_OK);
    }
    if (fw::MessageBox(owner, LoadText(IDS_SHUTDOWN_WARNING), LoadText(IDS_NOTICE),
                       fw::MB_OKCANCEL) != fw::IDOK)
        return;
    FirmwareDlg dialog(mainWindow);
    dialog.Setup(manager, path);
    dialog.DoModal();
}
