#include "CliBusClient.h"

#include "CliExitCode.h"
#include "CliOutput.h"
#include "CliRefusal.h"
#include "CliStatusReport.h"
#include "Control/LightingView.h"
#include "Framework/SessionBus.h"
#include "Model/LightingModel.h"

#include <QDBusConnectionInterface>

namespace {

const QString kService = QStringLiteral("org.glimra.Utility1");
const QString kPath = QStringLiteral("/org/glimra/Utility1");
const QString kInterface = QStringLiteral("org.glimra.Utility1");
const QString kErrorNotConnected = QStringLiteral("org.glimra.Utility1.Error.NotConnected");
const QString kErrorRefused = QStringLiteral("org.glimra.Utility1.Error.Refused");
const QString kErrorBusy = QStringLiteral("org.glimra.Utility1.Error.Busy");
const QString kErrorNoAnswer = QStringLiteral("org.glimra.Utility1.Error.NoAnswer");

// Generous: the window may be reading a controller that answers late, or running Default.
constexpr int kCallTimeoutMs = 30000;

using Command = CliRequest::Command;

QString NoController() {
    return QStringLiteral("glimractl: no controller found (USB 04d9:8008)\n");
}

QString BusyText() {
    return QStringLiteral("glimractl: the Glimra Utility window has a dialog open (a firmware "
                          "update, perhaps); try again once it is closed\n");
}

LightingView ViewFrom(const QVariantMap& map) {
    LightingView view;
    view.controlsEnabled = map.value(QStringLiteral("controls_enabled")).toBool();
    view.colourEnabled = map.value(QStringLiteral("colour_enabled")).toBool();
    view.brightnessEnabled = map.value(QStringLiteral("brightness_enabled")).toBool();
    view.swatch = map.value(QStringLiteral("swatch")).toInt();
    view.level = map.value(QStringLiteral("level")).toUInt();
    view.modeIndex = map.value(QStringLiteral("mode_index")).toInt();
    view.on = map.value(QStringLiteral("on")).toBool();
    view.versionShown = map.value(QStringLiteral("version_shown")).toBool();
    view.version = map.value(QStringLiteral("version")).toString();
    view.versionText = map.value(QStringLiteral("version_label")).toString();
    return view;
}

// The window's records, loaded as a layout read would load them.
bool ModelFrom(const QVariantMap& map, LightingModel& model) {
    const QByteArray leds = map.value(QStringLiteral("leds")).toByteArray();
    const QByteArray handles = map.value(QStringLiteral("handles")).toByteArray();
    if (leds.size() % LightingModel::LedRecordSize != 0 ||
        handles.size() % LightingModel::HandleRecordSize != 0)
        return false;
    const QByteArray body = leds + handles;
    if (!model.Load(reinterpret_cast<const std::uint8_t*>(body.constData()),
                    static_cast<std::size_t>(body.size()),
                    static_cast<int>(leds.size() / LightingModel::LedRecordSize),
                    static_cast<int>(handles.size() / LightingModel::HandleRecordSize), 0))
        return false;
    const QByteArray version = map.value(QStringLiteral("version_bytes")).toByteArray();
    model.SetVersionText(reinterpret_cast<const std::uint8_t*>(version.constData()),
                         static_cast<std::size_t>(version.size()));
    return true;
}

} // namespace

CliBusClient::CliBusClient()
    : bus_(fw::SessionBusReachable() ? QDBusConnection::sessionBus()
                                     : QDBusConnection(QStringLiteral("none"))) {}

QDBusMessage CliBusClient::Call(const QString& method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(args);
    call.setAutoStartService(false);
    return bus_.call(call, QDBus::Block, kCallTimeoutMs);
}

bool CliBusClient::WindowHoldsController() {
    if (!bus_.isConnected() || !bus_.interface())
        return false;
    if (!bus_.interface()->isServiceRegistered(kService).value())
        return false;
    const QDBusMessage reply = Call(QStringLiteral("View"));
    if (reply.type() == QDBusMessage::ErrorMessage) {
        busy_ = reply.errorName() == kErrorBusy;
        return busy_;
    }
    view_ = qdbus_cast<QVariantMap>(reply.arguments().value(0));
    return view_.value(QStringLiteral("connected")).toBool();
}

bool CliBusClient::Reply(const QDBusMessage& reply, QVariantMap& view, int& exitCode) const {
    if (reply.type() == QDBusMessage::ReplyMessage) {
        view = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        return true;
    }
    const QString name = reply.errorName();
    if (name == kErrorNotConnected) {
        Err(NoController());
        exitCode = ExitNoController;
    } else if (name == kErrorBusy) {
        Err(BusyText());
        exitCode = ExitInUse;
    } else if (name == kErrorRefused) {
        Err(QStringLiteral("glimractl: refused: %1\n").arg(reply.errorMessage()));
        exitCode = ExitRefused;
    } else if (name == kErrorNoAnswer) {
        Err(QStringLiteral("glimractl: the command did not reach the controller (it was "
                           "unplugged, or the write failed)\n"));
        exitCode = ExitNoAnswer;
    } else {
        Err(QStringLiteral("glimractl: the Glimra Utility window did not answer: %1\n")
                .arg(reply.errorMessage()));
        exitCode = ExitNoAnswer;
    }
    return false;
}

int CliBusClient::Run(const CliRequest& request) {
    if (request.command == Command::Firmware) {
        Err(QStringLiteral("glimractl: the Glimra Utility window holds the controller; update the "
                           "firmware from the window: Settings, Advanced Settings, Firmware "
                           "Update\n"));
        return ExitWindowHolds;
    }
    if (busy_) {
        if (request.command == Command::Status && request.json)
            OutJson(QJsonObject{{"connected", false}, {"in_use", true}});
        Err(BusyText());
        return ExitInUse;
    }
    if (request.command == Command::Status)
        return Status(request);
    // A window whose controller did not answer its last read is read again first, as the tool
    // reads a controller it opens itself.
    if (request.command != Command::Recover &&
        !view_.value(QStringLiteral("controls_enabled")).toBool()) {
        int exitCode = ExitSuccess;
        if (!Reply(Call(QStringLiteral("Status")), view_, exitCode))
            return exitCode;
        if (!view_.value(QStringLiteral("connected")).toBool()) {
            Err(NoController());
            return ExitNoController;
        }
        if (!view_.value(QStringLiteral("answered")).toBool()) {
            Err(QStringLiteral("glimractl: the controller did not answer\n"));
            return ExitNoAnswer;
        }
    }
    return Lighting(request);
}

int CliBusClient::Status(const CliRequest& request) {
    QVariantMap status;
    int exitCode = ExitSuccess;
    if (!Reply(Call(QStringLiteral("Status")), status, exitCode))
        return exitCode;
    if (!status.value(QStringLiteral("connected")).toBool()) {
        if (request.json)
            OutJson(QJsonObject{{"connected", false}});
        Err(NoController());
        return ExitNoController;
    }
    LightingModel model;
    if (!status.value(QStringLiteral("answered")).toBool() || !ModelFrom(status, model)) {
        if (request.json)
            OutJson(QJsonObject{{"connected", true}});
        Err(QStringLiteral("glimractl: the controller did not answer\n"));
        return ExitNoAnswer;
    }
    const LightingView view = ViewFrom(status);
    CliStatusReport(model, view).Print(request.json, request.dump);
    return ExitSuccess;
}

int CliBusClient::Lighting(const CliRequest& request) {
    const LightingView view = ViewFrom(view_);
    QVariantMap after;
    int exitCode = ExitSuccess;
    if (CliRefusal::Refused(request.command, view))
        return ExitRefused;
    switch (request.command) {
    case Command::Color:
        Reply(Call(QStringLiteral("SelectSwatch"), {request.swatch}), after, exitCode);
        return exitCode;
    case Command::Up:
    case Command::Down:
    case Command::Brightness:
        if (request.command == Command::Brightness) {
            Reply(Call(QStringLiteral("SetBrightness"), {QVariant::fromValue(request.level)}),
                  after, exitCode);
            return exitCode;
        }
        if (!Reply(Call(QStringLiteral("StepBrightness"), {request.command == Command::Up}), after,
                   exitCode))
            return exitCode;
        if (!after.value(QStringLiteral("sent")).toBool())
            CliRefusal::ReportBrightnessAtLimit(view.level, request.command == Command::Up);
        return ExitSuccess;
    case Command::Mode:
        Reply(Call(QStringLiteral("SelectMode"), {request.modeIndex}), after, exitCode);
        return exitCode;
    case Command::On:
    case Command::Off:
        Reply(Call(QStringLiteral("SetEnabled"), {request.command == Command::On}), after,
              exitCode);
        return exitCode;
    case Command::Default: {
        const QDBusMessage reply = Call(QStringLiteral("RestoreDefaults"));
        if (reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == kErrorNoAnswer) {
            Err(QStringLiteral("glimractl: the controller did not answer after the restore\n"));
            return ExitNoAnswer;
        }
        Reply(reply, after, exitCode);
        return exitCode;
    }
    case Command::Recover:
        Reply(Call(QStringLiteral("Recover")), after, exitCode);
        return exitCode;
    default:
        return ExitUsage;
    }
}
