#include "CliFirmwareUpdate.h"

#include "CliExitCode.h"
#include "CliOutput.h"
#include "Protocol/CommManager.h"
#include "Protocol/CommMessages.h"
#include "Task/FirmwareFileInfo.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::uintptr_t ReconnectTimer = 0;
constexpr int BarWidth = 40;

// Ctrl-C and SIGTERM during an update reach the event loop through this pipe, so the task is
// cancelled between blocks rather than the process dying in the middle of one.
int interruptPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(interruptPipe[1], &byte, 1);
}

// Routes SIGINT and SIGTERM into the pipe while it lives.
class InterruptRoute {
public:
    InterruptRoute() {
        if (interruptPipe[0] < 0 && pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
        routed_ = true;
    }
    ~InterruptRoute() {
        if (!routed_)
            return;
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    InterruptRoute(const InterruptRoute&) = delete;
    InterruptRoute& operator=(const InterruptRoute&) = delete;

    bool Routed() const { return routed_; }

private:
    bool routed_ = false;
    struct sigaction oldInt_ = {};
    struct sigaction oldTerm_ = {};
};

} // namespace

CliFirmwareUpdate::CliFirmwareUpdate(CommManager& connection, const QString& firmwarePath)
    : connection_(connection), firmwarePath_(firmwarePath), bar_(StdoutIsTerminal()) {
    OnMessage(fw::WM_TIMER, [this](fw::WPARAM id, fw::LPARAM) { return OnTimer(id); });
    OnMessage(WM_FIRMWARE_NOTIFY,
              [this](fw::WPARAM step, fw::LPARAM data) { return OnNotify(step, data); });
}

int CliFirmwareUpdate::Run() {
    InterruptRoute route;
    if (route.Routed()) {
        interrupt_ = std::make_unique<QSocketNotifier>(interruptPipe[0], QSocketNotifier::Read);
        QObject::connect(interrupt_.get(), &QSocketNotifier::activated, [this] { OnInterrupt(); });
    }
    task_.Init(this, &connection_);
    Err(QStringLiteral("Reboot device into upgrade mode...\n"));
    task_.RequestUpgradeMode();
    countdown_ = ReconnectAttempts;
    SetTimer(ReconnectTimer, ReconnectPeriodMs);
    loop_.exec();
    // After a result the worker still finishes its last step; it must end before we do.
    task_.Wait();
    interrupt_.reset();
    return exitCode_;
}

void CliFirmwareUpdate::OnInterrupt() {
    char drained[16];
    while (read(interruptPipe[0], drained, sizeof drained) > 0) {
    }
    if (finished_)
        return;
    KillTimer(ReconnectTimer);
    if (barShown_)
        Out(QStringLiteral("\n"));
    barShown_ = false;
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
    loop_.quit();
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
            started_ = true;
            task_.Start(firmwarePath_);
        }
    } else {
        KillTimer(ReconnectTimer);
        Err(QStringLiteral("Reconnecting failed!\n"));
        finished_ = true;
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
    finished_ = true;
    exitCode_ = exitCode;
    loop_.quit();
}
