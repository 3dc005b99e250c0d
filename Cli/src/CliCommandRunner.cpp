#include "CliCommandRunner.h"

#include "CliBusClient.h"
#include "CliConnection.h"
#include "CliDeviceList.h"
#include "CliExitCode.h"
#include "CliFirmwareUpdate.h"
#include "CliOutput.h"
#include "CliRefusal.h"
#include "CliService.h"
#include "CliStatusReport.h"
#include "Control/LightingActions.h"
#include "Task/FirmwareImageCheck.h"

#include <QTextStream>

namespace {

using Command = CliRequest::Command;

// The commands that need the controller's state read back before they act.
bool NeedsRefresh(Command command) {
    return command != Command::Recover && command != Command::Firmware;
}

} // namespace

int CliCommandRunner::Run() {
    if (request_.command == Command::List)
        return List();
    if (request_.command == Command::Serve)
        return CliService(request_).Run();

    // The image is checked before the controller is touched: an empty file, a device or a FIFO
    // would restart it into its loader for nothing, or hang.
    if (request_.command == Command::Firmware) {
        switch (CheckFirmwareImage(request_.file)) {
        case FirmwareImageStatus::Ok:
            break;
        case FirmwareImageStatus::Invalid:
            Err(QStringLiteral("Invalid firmware! Please select again.\n"));
            return ExitUsage;
        case FirmwareImageStatus::Unreadable:
            Err(QStringLiteral("glimractl: cannot read the firmware image %1\n")
                    .arg(request_.file));
            return ExitUsage;
        }
    }
    // While the desktop program holds the controller, the work goes through its window.
    CliBusClient window;
    if (window.WindowHoldsController())
        return window.Run(request_);
    return OnController();
}

int CliCommandRunner::OnController() {
    CliConnection connection;
    switch (connection.Connect()) {
    case CliConnection::Result::Connected:
        break;
    case CliConnection::Result::PermissionDenied:
        Err(CliConnection::PermissionHelp());
        return ExitPermission;
    case CliConnection::Result::NotFound:
        if (request_.command == Command::Status && request_.json)
            OutJson(QJsonObject{{"connected", false}});
        Err(QStringLiteral("glimractl: no controller found (USB 04d9:8008)\n"));
        return ExitNoController;
    case CliConnection::Result::InUse:
        if (request_.command == Command::Status && request_.json)
            OutJson(QJsonObject{{"connected", false}, {"in_use", true}});
        Err(CliConnection::InUseHelp());
        return ExitInUse;
    }

    // As the window after connecting: read layout and version, derive what the controls show.
    // The tool keeps no log of its own, so the record dump goes to --dump only.
    LightingActions actions(connection.Protocol(), nullptr);
    const bool answered = actions.RefreshFromController() != 0;
    if (!answered && NeedsRefresh(request_.command) && request_.command != Command::Status) {
        Err(QStringLiteral("glimractl: the controller did not answer\n"));
        return ExitNoAnswer;
    }

    switch (request_.command) {
    case Command::Status:
        return Status(connection, actions, answered);
    case Command::Recover:
        connection.Protocol()->LeaveUpgradeMode();
        return Delivered(connection, ExitSuccess);
    case Command::Firmware:
        return Firmware(connection);
    default:
        return Delivered(connection, Lighting(actions));
    }
}

int CliCommandRunner::Delivered(CliConnection& connection, int exitCode) {
    // The link sends without asking for an answer; only its last write tells whether the
    // command reached the controller at all.
    if (exitCode == ExitSuccess && connection.Manager().LastWriteFailed()) {
        Err(QStringLiteral("glimractl: the command did not reach the controller (it was "
                           "unplugged, or the write failed)\n"));
        return ExitNoAnswer;
    }
    return exitCode;
}

int CliCommandRunner::List() {
    const CliDeviceList list = CliDeviceList::Scan();
    if (request_.json)
        OutJson(list.Json());
    else
        Out(list.Text());
    if (list.Empty()) {
        Err(QStringLiteral("glimractl: no controller found (USB 04d9:8008)\n"));
        return ExitNoController;
    }
    return ExitSuccess;
}

int CliCommandRunner::Status(CliConnection& connection, LightingActions& actions, bool answered) {
    if (!answered) {
        if (request_.json)
            OutJson(QJsonObject{{"connected", connection.Manager().IsConnected() != 0}});
        Err(QStringLiteral("glimractl: the controller did not answer\n"));
        return ExitNoAnswer;
    }
    CliStatusReport(connection.Protocol()->Model(), actions.View())
        .Print(request_.json, request_.dump);
    return ExitSuccess;
}

int CliCommandRunner::Lighting(LightingActions& actions) {
    const LightingView& view = actions.View();
    if (CliRefusal::Refused(request_.command, view))
        return ExitRefused;
    switch (request_.command) {
    case Command::Color:
        actions.SelectSwatch(request_.swatch);
        return ExitSuccess;
    case Command::Up:
    case Command::Down:
    case Command::Brightness:
        if (request_.command == Command::Brightness) {
            actions.SetBrightnessLevel(request_.level);
        } else if (!actions.StepBrightness(request_.command == Command::Up)) {
            CliRefusal::ReportBrightnessAtLimit(view.level, request_.command == Command::Up);
        }
        return ExitSuccess;
    case Command::Mode:
        actions.SelectMode(request_.modeIndex);
        return ExitSuccess;
    case Command::On:
    case Command::Off:
        actions.ToggleEnable(request_.command == Command::On);
        return ExitSuccess;
    case Command::Default:
        if (!actions.RunDefaultSequence()) {
            Err(QStringLiteral("glimractl: the controller did not answer after the restore\n"));
            return ExitNoAnswer;
        }
        return ExitSuccess;
    default:
        return ExitUsage;
    }
}

int CliCommandRunner::Firmware(CliConnection& connection) {
    if (!Confirmed()) {
        Err(QStringLiteral("glimractl: nothing was changed\n"));
        return ExitSuccess;
    }
    CliFirmwareUpdate update(connection.Manager(), request_.file, request_.json);
    return update.Run();
}

bool CliCommandRunner::Confirmed() const {
    if (request_.yes)
        return true;
    Err(QStringLiteral("Please don't shutdown computer when update firmware.\n"
                       "Update the firmware with %1? [y/N] ")
            .arg(request_.file));
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == "y" || answer == "yes";
}
