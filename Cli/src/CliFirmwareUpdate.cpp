#include "CliFirmwareUpdate.h"

#include "CliExitCode.h"
#include "CliOutput.h"
#include "Protocol/CommManager.h"
#include "Protocol/CommMessages.h"
#include "Task/FirmwareFileInfo.h"

namespace {

constexpr std::uintptr_t ReconnectTimer = 0;
constexpr int BarWidth = 40;

} // namespace

CliFirmwareUpdate::CliFirmwareUpdate(CommManager& connection, const QString& firmwarePath)
    : connection_(connection), firmwarePath_(firmwarePath), bar_(StdoutIsTerminal()) {
    OnMessage(fw::WM_TIMER, [this](fw::WPARAM id, fw::LPARAM) { return OnTimer(id); });
    OnMessage(WM_FIRMWARE_NOTIFY,
              [this](fw::WPARAM step, fw::LPARAM data) { return OnNotify(step, data); });
}

int CliFirmwareUpdate::Run() {
    task_.Init(this, &connection_);
    Err(QStringLiteral("Reboot device into upgrade mode...\n"));
    task_.RequestUpgradeMode();
    countdown_ = ReconnectAttempts;
    SetTimer(ReconnectTimer, ReconnectPeriodMs);
    loop_.exec();
    // After a result the worker still finishes its last step; it must end before we do.
    task_.Wait();
    return exitCode_;
}

fw::LRESULT CliFirmwareUpdate::OnTimer(fw::WPARAM id) {
    if (id != ReconnectTimer)
        return 0;
    if (countdown_ != 0) {
        if (countdown_ == ReconnectAttempts)
            Err(QStringLiteral("Reconnecting device...\n"));
        connection_.Open(connection_.CurrentIndex());
        if (connection_.IsConnected()) {
            KillTimer(ReconnectTimer);
            task_.Start(firmwarePath_);
        }
    } else {
        KillTimer(ReconnectTimer);
        Err(QStringLiteral("Reconnecting failed!\n"));
        exitCode_ = ExitNoAnswer;
        loop_.quit();
    }
    --countdown_;
    return 0;
}

fw::LRESULT CliFirmwareUpdate::OnNotify(fw::WPARAM step, fw::LPARAM data) {
    switch (step) {
    case FirmwareManager::StepFileInfo: {
        const auto* info = reinterpret_cast<const FirmwareFileInfo*>(data);
        if (info)
            Err(QStringLiteral("File: %1\nSize: %2 Byte\n").arg(info->name, info->size));
        break;
    }
    case FirmwareManager::StepProgress:
        ShowProgress(static_cast<int>(data));
        break;
    case FirmwareManager::StepSuccess:
        Finish(ExitSuccess, QStringLiteral("Update successful!"));
        break;
    case FirmwareManager::StepFailure:
        Finish(ExitNoAnswer, QStringLiteral("Update failed!"));
        break;
    default:
        break;
    }
    return 0;
}

void CliFirmwareUpdate::ShowProgress(int percent) {
    if (!bar_) {
        Out(QStringLiteral("%1%\n").arg(percent));
        return;
    }
    const int filled = BarWidth * qBound(0, percent, 100) / 100;
    Out(QStringLiteral("\r[%1%2] %3%")
            .arg(QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char(' ')))
            .arg(percent, 3));
    barShown_ = true;
}

void CliFirmwareUpdate::Finish(int exitCode, const QString& result) {
    if (barShown_)
        Out(QStringLiteral("\n"));
    barShown_ = false;
    Out(result + QLatin1Char('\n'));
    exitCode_ = exitCode;
    loop_.quit();
}
