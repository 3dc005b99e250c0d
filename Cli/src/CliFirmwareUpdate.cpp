#include "CliFirmwareUpdate.h"

#include "CliExitCode.h"
#include "CliInterrupt.h"
#include "CliOutput.h"
#include "Control/LightingActions.h"
#include "Protocol/CommManager.h"
#include "Protocol/CommMessages.h"
#include "Task/FirmwareFileInfo.h"

namespace {

constexpr std::uintptr_t ReconnectTimer = 0;
constexpr std::uintptr_t ReturnTimer = 1;
constexpr int BarWidth = 40;

} // namespace

CliFirmwareUpdate::CliFirmwareUpdate(CommManager& connection, const QString& firmwarePath,
                                     bool json)
    : connection_(connection), firmwarePath_(firmwarePath), json_(json),
      bar_(!json && StdoutIsTerminal()) {
    OnMessage(fw::WM_TIMER, [this](fw::WPARAM id, fw::LPARAM) { return OnTimer(id); });
    OnMessage(WM_FIRMWARE_NOTIFY,
              [this](fw::WPARAM step, fw::LPARAM data) { return OnNotify(step, data); });
}

int CliFirmwareUpdate::Run() {
    // Ctrl-C and SIGTERM cancel between blocks rather than killing the process in one.
    interrupt_ = std::make_unique<CliInterrupt>([this] { OnInterrupt(); });
    task_.Init(this, &connection_);
    // Only a request that reached the controller restarts it; anything else would leave us
    // waiting half a minute for a controller that was never told to go.
    const bool connected = connection_.IsConnected() != 0;
    if (connected)
        task_.RequestUpgradeMode();
    if (!connected || connection_.LastWriteFailed()) {
        Err(QStringLiteral("glimractl: the restart request did not reach the controller (it "
                           "was unplugged, or the write failed); nothing was changed\n"));
        finished_ = true;
        exitCode_ = ExitNoAnswer;
        outcome_ = QJsonObject{{"updated", false}, {"error", "unreachable"}};
    } else {
        Err(QStringLiteral("Reboot device into upgrade mode...\n"));
        countdown_ = ReconnectAttempts;
        SetTimer(ReconnectTimer, ReconnectPeriodMs);
        loop_.exec();
        // After a result the worker still finishes its last step; it must end before we do.
        task_.Wait();
        inhibitor_.Release();
        if (exitCode_ == ExitSuccess)
            WaitForReturn();
    }
    interrupt_.reset();
    if (json_)
        OutJson(outcome_);
    return exitCode_;
}

void CliFirmwareUpdate::OnInterrupt() {
    if (waiting_) {
        // The update is done; only the wait for its outcome is given up.
        StopWaiting(false, true);
        return;
    }
    if (finished_)
        return;
    KillTimer(ReconnectTimer);
    CloseBar();
    if (started_) {
        Err(QStringLiteral("Cancelling after the current block...\n"));
        // Returns once the worker has ended; no result is reported after a cancel.
        task_.Cancel();
        // A result that was on its way while we cancelled stands.
        if (finished_)
            return;
    }
    finished_ = true;
    Err(QStringLiteral("Update cancelled. The controller may be left in its loader; "
                       "'glimractl recover' starts its firmware again.\n"));
    exitCode_ = ExitNoAnswer;
    outcome_ = QJsonObject{{"updated", false}, {"error", "cancelled"}};
    loop_.quit();
}

fw::LRESULT CliFirmwareUpdate::OnTimer(fw::WPARAM id) {
    if (id == ReturnTimer) {
        if (!waiting_)
            return 0;
        if (LookForReturn())
            StopWaiting(true, false);
        else if (returnDeadline_.hasExpired())
            StopWaiting(false, false);
        return 0;
    }
    if (id != ReconnectTimer)
        return 0;
    if (countdown_ != 0) {
        if (countdown_ == ReconnectAttempts)
            Err(QStringLiteral("Reconnecting device...\n"));
        connection_.Open(connection_.CurrentIndex());
        if (connection_.IsConnected()) {
            KillTimer(ReconnectTimer);
            started_ = true;
            // No sleep or shutdown in the middle of the image (where logind is there to ask).
            inhibitor_.Acquire(QStringLiteral("glimractl"),
                               QStringLiteral("Updating the lighting controller's firmware"));
            task_.Start(firmwarePath_);
        }
    } else {
        KillTimer(ReconnectTimer);
        Err(QStringLiteral("Reconnecting failed!\n"));
        finished_ = true;
        exitCode_ = ExitNoAnswer;
        outcome_ = QJsonObject{{"updated", false}, {"error", "reconnect_failed"}};
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
        Finish(ExitSuccess, QStringLiteral("Update successful!"), nullptr);
        break;
    case FirmwareManager::StepFailure:
        Finish(ExitNoAnswer, QStringLiteral("Update failed!"), "transfer_failed");
        break;
    default:
        break;
    }
    return 0;
}

void CliFirmwareUpdate::ShowProgress(int percent) {
    // Blocks far outnumber percentages: a reader of a pipe or a log gets each one once.
    if (json_ || percent == lastPercent_)
        return;
    lastPercent_ = percent;
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

void CliFirmwareUpdate::CloseBar() {
    if (barShown_)
        Out(QStringLiteral("\n"));
    barShown_ = false;
}

void CliFirmwareUpdate::Finish(int exitCode, const QString& result, const char* error) {
    CloseBar();
    if (json_)
        Err(result + QLatin1Char('\n'));
    else
        Out(result + QLatin1Char('\n'));
    finished_ = true;
    exitCode_ = exitCode;
    outcome_ =
        error ? QJsonObject{{"updated", false}, {"error", error}} : QJsonObject{{"updated", true}};
    loop_.quit();
}

void CliFirmwareUpdate::WaitForReturn() {
    // The loader was told to start the new firmware: the controller leaves the bus and comes
    // back, and a command run right after us should find it there.
    connection_.Close();
    Err(QStringLiteral("Waiting for the controller to restart...\n"));
    waiting_ = true;
    returnDeadline_.setRemainingTime(ReturnWaitMs);
    SetTimer(ReturnTimer, ReturnPeriodMs);
    loop_.exec();
}

bool CliFirmwareUpdate::LookForReturn() {
    connection_.Open(connection_.CurrentIndex());
    if (!connection_.IsConnected())
        return false;
    LightingActions actions(connection_.GetProtocol(), nullptr);
    if (actions.RefreshFromController() != 0 && !actions.View().version.isEmpty()) {
        const LightingView& view = actions.View();
        outcome_.insert("returned", true);
        outcome_.insert("version", view.version);
        outcome_.insert("version_label", view.versionText);
        if (!json_)
            Out(QStringLiteral("version: %1 (shown as \"%2\")\n")
                    .arg(view.version, view.versionText));
        return true;
    }
    // Still in its loader, or not ready yet: look again on the next tick.
    connection_.Close();
    return false;
}

void CliFirmwareUpdate::StopWaiting(bool returned, bool interrupted) {
    KillTimer(ReturnTimer);
    waiting_ = false;
    if (!returned) {
        outcome_.insert("returned", false);
        const QString what = interrupted
                                 ? QStringLiteral("glimractl: stopped waiting for the controller")
                                 : QStringLiteral("glimractl: the controller has not come back "
                                                  "with its new firmware within %1 s")
                                       .arg(ReturnWaitMs / 1000);
        Err(what + QStringLiteral("; if it stays away, 'glimractl recover' starts its firmware "
                                  "again\n"));
    }
    loop_.quit();
}
