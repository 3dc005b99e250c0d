#include "FirmwareDlg.h"

#include "App/LoadText.h"
#include "Framework/MessageBox.h"
#include "Protocol/CommManager.h"
#include "Protocol/CommMessages.h"
#include "StaticTextFit.h"
#include "Task/FirmwareFileInfo.h"

#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>

namespace {

constexpr int IDC_STATUS = 1021;
constexpr int IDC_PROGRESS = 1024;
constexpr int IDC_TITLE = 1025;
constexpr int IDC_PERCENT = 1026;
constexpr int IDC_FILE_NAME = 1109;
constexpr int IDC_FILE_SIZE = 1111;

constexpr unsigned IDS_NOTICE = 1080;
constexpr unsigned IDS_REBOOTING = 1096;
constexpr unsigned IDS_RECONNECTING = 1098;
constexpr unsigned IDS_RECONNECT_FAILED = 1100;
constexpr unsigned IDS_UPDATE_SUCCESSFUL = 1102;
constexpr unsigned IDS_UPDATE_FAILED = 1104;
constexpr unsigned IDS_BYTE = 1106;

const QColor TitleColour(151, 163, 211);

unsigned g_testReconnectIntervalMs = 0;

} // namespace

FirmwareDlg::FirmwareDlg(fw::Dialog* parent) : fw::Dialog(IDD, parent) {
    OnMessage(fw::WM_TIMER, [this](fw::WPARAM id, fw::LPARAM) { return OnTimer(id); });
    OnMessage(WM_FIRMWARE_NOTIFY, [this](fw::WPARAM step, fw::LPARAM lParam) {
        return OnFirmwareNotify(step, lParam);
    });
}

FirmwareDlg::~FirmwareDlg() {
    // The worker reports to this dialog: it must be gone before our members are.
    if (task_.IsRunning())
        task_.Cancel();
    task_.Wait();
    inhibitor_.Release();
}

void FirmwareDlg::SetReconnectIntervalForTesting(unsigned ms) {
    g_testReconnectIntervalMs = ms;
}

void FirmwareDlg::Setup(CommManager* connection, const QString& firmwarePath) {
    connection_ = connection;
    firmwarePath_ = firmwarePath;
}

int FirmwareDlg::DoModal() {
    const int result = fw::Dialog::DoModal();
    task_.Wait();
    return result;
}

QLabel* FirmwareDlg::Label(int id) const {
    return qobject_cast<QLabel*>(GetDlgItem(id));
}

QProgressBar* FirmwareDlg::Progress() const {
    return qobject_cast<QProgressBar*>(GetDlgItem(IDC_PROGRESS));
}

bool FirmwareDlg::OnInitDialog() {
    if (QLabel* title = Label(IDC_TITLE)) {
        QPalette palette = title->palette();
        palette.setColor(QPalette::Window, TitleColour);
        palette.setColor(QPalette::WindowText, Qt::white);
        title->setPalette(palette);
        title->setAutoFillBackground(true);
    }
    ShowStatus(true);
    task_.Init(this, connection_);
    SetStatus(LoadText(IDS_REBOOTING));
    task_.RequestUpgradeMode();
    reconnectCountdown_ = ReconnectAttempts;
    SetTimer(ReconnectTimer,
             g_testReconnectIntervalMs ? g_testReconnectIntervalMs : ReconnectIntervalMs);
    return true;
}

fw::LRESULT FirmwareDlg::OnTimer(fw::WPARAM id) {
    if (id != ReconnectTimer)
        return 0;
    if (reconnectCountdown_ != 0) {
        SetStatus(LoadText(IDS_RECONNECTING));
        if (connection_) {
            connection_->Open(connection_->CurrentIndex());
            if (connection_->IsConnected()) {
                KillTimer(ReconnectTimer);
                // The bar starts empty and its figure at nought, not at the template's text.
                if (QProgressBar* bar = Progress())
                    bar->setValue(0);
                SetPercent(0);
                ShowStatus(false);
                // Cutting the power in the middle of the image could leave the controller
                // without a firmware: no sleep or shutdown until the blocks are written.
                inhibitor_.Acquire(QStringLiteral("Glimra Utility"),
                                   QStringLiteral("Updating the lighting controller's firmware"));
                task_.Start(firmwarePath_);
            }
        }
    } else {
        KillTimer(ReconnectTimer);
        SetStatus(LoadText(IDS_RECONNECT_FAILED));
        ShowStatus(true);
        fw::MessageBox(Widget(), LoadText(IDS_RECONNECT_FAILED), LoadText(IDS_NOTICE), fw::MB_OK);
        Close();
    }
    --reconnectCountdown_;
    return 0;
}

fw::LRESULT FirmwareDlg::OnFirmwareNotify(fw::WPARAM step, fw::LPARAM lParam) {
    switch (static_cast<int>(step)) {
    case FirmwareManager::StepFileInfo: {
        const auto* info = reinterpret_cast<const FirmwareFileInfo*>(lParam);
        if (QProgressBar* bar = Progress()) {
            bar->setRange(0, 100);
            bar->setValue(0);
        }
        if (QLabel* name = Label(IDC_FILE_NAME))
            name->setText(info->name);
        if (QLabel* size = Label(IDC_FILE_SIZE))
            size->setText(info->size + QLatin1Char(' ') + LoadText(IDS_BYTE));
        SetPercent(0);
        FitStaticTexts(Widget());
        break;
    }
    case FirmwareManager::StepProgress:
        if (QProgressBar* bar = Progress())
            bar->setValue(static_cast<int>(lParam));
        SetPercent(static_cast<int>(lParam));
        break;
    case FirmwareManager::StepSuccess:
    case FirmwareManager::StepFailure: {
        // Every block is written (or none will be): sleep and shutdown may go ahead again.
        inhibitor_.Release();
        const unsigned text =
            step == FirmwareManager::StepSuccess ? IDS_UPDATE_SUCCESSFUL : IDS_UPDATE_FAILED;
        // The worker waits for this box, then ends; DoModal waits for that.
        fw::MessageBox(Widget(), LoadText(text), LoadText(IDS_NOTICE), fw::MB_OK);
        Close();
        break;
    }
    default:
        break;
    }
    return 0;
}

void FirmwareDlg::OnCancel() {
    ShowStatus(true);
    KillTimer(ReconnectTimer);
    // Returns once the worker has ended: the block being sent is finished first.
    task_.Cancel();
    inhibitor_.Release();
    Close();
}

void FirmwareDlg::Close() {
    KillTimer(ReconnectTimer);
    EndDialog(fw::IDCANCEL);
}

void FirmwareDlg::ShowStatus(bool status) {
    if (QWidget* line = GetDlgItem(IDC_STATUS))
        line->setVisible(status);
    if (QWidget* bar = GetDlgItem(IDC_PROGRESS))
        bar->setVisible(!status);
    if (QWidget* percent = GetDlgItem(IDC_PERCENT))
        percent->setVisible(!status);
}

void FirmwareDlg::SetStatus(const QString& text) {
    if (QLabel* line = Label(IDC_STATUS))
        line->setText(text);
    // The template's widths were made for other fonts: no message is cut short.
    FitStaticTexts(Widget());
}

void FirmwareDlg::SetPercent(int percent) {
    if (QLabel* label = Label(IDC_PERCENT))
        label->setText(QStringLiteral("%1%").arg(percent));
}
