#include "Bus/UtilityBus.h"

#include "Control/LightingActions.h"
#include "Control/LightingHolder.h"
#include "Model/LightingModel.h"
#include "Protocol/ControllerProtocol.h"

#include <QDBusConnection>

// The lighting calls of the bus object: each does what the click on the window's control does,
// through the holder, so a window shows the change at once and sends the click's frames.

namespace {

QByteArray RecordBytes(const void* record, std::size_t size) {
    return QByteArray(static_cast<const char*>(record), static_cast<qsizetype>(size));
}

} // namespace

void UtilityBus::Fail(const QString& name, const QString& text) {
    // Only a call that came over the bus has someone to answer.
    if (calledFromDBus())
        sendErrorReply(name, text);
}

void UtilityBus::Fail(QDBusError::ErrorType type, const QString& text) {
    Fail(QDBusError::errorString(type), text);
}

bool UtilityBus::Usable(bool needConnected) {
    // While another of the window's dialogs is open (a firmware update above all), the window
    // cannot be clicked, and neither can it be driven from here.
    if (holder_.IsBusy()) {
        Fail(QLatin1String(ErrorBusy),
             QStringLiteral("The Glimra Utility window has a dialog open."));
        return false;
    }
    if (needConnected && !holder_.IsConnected()) {
        Fail(QLatin1String(ErrorNotConnected), QStringLiteral("No controller is connected."));
        return false;
    }
    return true;
}

QVariantMap UtilityBus::ViewMap() const {
    const LightingView& view = holder_.View();
    return {
        {QStringLiteral("connected"), holder_.IsConnected()},
        {QStringLiteral("controls_enabled"), view.controlsEnabled},
        {QStringLiteral("colour_enabled"), view.colourEnabled},
        {QStringLiteral("brightness_enabled"), view.brightnessEnabled},
        {QStringLiteral("swatch"), view.swatch},
        {QStringLiteral("level"), view.level},
        {QStringLiteral("mode_index"), view.modeIndex},
        {QStringLiteral("on"), view.on},
        {QStringLiteral("version_shown"), view.versionShown},
        {QStringLiteral("version"), view.version},
        {QStringLiteral("version_label"), view.versionText},
    };
}

QVariantMap UtilityBus::Sent(bool sent) {
    if (sent && holder_.LastWriteFailed()) {
        Fail(QLatin1String(ErrorNoAnswer),
             QStringLiteral("The command did not reach the controller."));
        return {};
    }
    QVariantMap map = ViewMap();
    map.insert(QStringLiteral("sent"), sent);
    return map;
}

QVariantMap UtilityBus::View() {
    if (!Usable(false))
        return {};
    return ViewMap();
}

QVariantMap UtilityBus::Status() {
    if (!Usable(false))
        return {};
    if (!holder_.IsConnected())
        return {{QStringLiteral("connected"), false}};
    const bool answered = holder_.Refresh() != 0;
    QVariantMap map = ViewMap();
    map.insert(QStringLiteral("answered"), answered);
    const ControllerProtocol* protocol = holder_.Protocol();
    if (!answered || !protocol)
        return map;
    const LightingModel& model = protocol->Model();
    QByteArray leds, handles;
    for (int i = 0; i < model.LedCount(); ++i)
        leds += RecordBytes(model.LedRecordAt(i), LightingModel::LedRecordSize);
    for (int i = 0; i < model.HandleCount(); ++i)
        handles += RecordBytes(model.HandleRecordAt(i), LightingModel::HandleRecordSize);
    map.insert(QStringLiteral("leds"), leds);
    map.insert(QStringLiteral("handles"), handles);
    map.insert(QStringLiteral("version_bytes"), QByteArray::fromStdString(model.VersionText()));
    return map;
}

QVariantMap UtilityBus::SelectSwatch(int swatch) {
    if (swatch < 1 || swatch > 8) {
        Fail(QDBusError::InvalidArgs, QStringLiteral("The swatch is 1 to 8."));
        return {};
    }
    if (!Usable())
        return {};
    if (!holder_.View().controlsEnabled || !holder_.View().colourEnabled) {
        Fail(QLatin1String(ErrorRefused),
             QStringLiteral("The colour cannot be chosen in this mode."));
        return {};
    }
    holder_.ClickSwatch(swatch);
    return Sent(true);
}

QVariantMap UtilityBus::StepBrightness(bool up) {
    if (!Usable())
        return {};
    const LightingView& view = holder_.View();
    if (!view.controlsEnabled || !view.brightnessEnabled) {
        Fail(QLatin1String(ErrorRefused),
             QStringLiteral("The brightness cannot be changed in this mode."));
        return {};
    }
    const unsigned before = view.level;
    if (up)
        holder_.ClickPlus();
    else
        holder_.ClickMinus();
    return Sent(holder_.View().level != before);
}

QVariantMap UtilityBus::SetBrightness(uint level) {
    if (level < LightingActions::MinLevel || level > LightingActions::MaxLevel) {
        Fail(QDBusError::InvalidArgs, QStringLiteral("The level is 1 to 8."));
        return {};
    }
    if (!Usable())
        return {};
    if (!holder_.View().controlsEnabled || !holder_.View().brightnessEnabled) {
        Fail(QLatin1String(ErrorRefused),
             QStringLiteral("The brightness cannot be changed in this mode."));
        return {};
    }
    // A user gets there with one click of Increase or Decrease per level.
    bool sent = false;
    for (unsigned current = holder_.View().level; current != level;) {
        if (current < level)
            holder_.ClickPlus();
        else
            holder_.ClickMinus();
        const unsigned now = holder_.View().level;
        if (now == current)
            break; // at a limit
        sent = true;
        current = now;
    }
    return Sent(sent);
}

QVariantMap UtilityBus::SelectMode(int index) {
    if (index < 0 || index > 5) {
        Fail(QDBusError::InvalidArgs, QStringLiteral("The mode index is 0 to 5."));
        return {};
    }
    if (!Usable())
        return {};
    if (!holder_.View().controlsEnabled) {
        Fail(QLatin1String(ErrorRefused), QStringLiteral("The modes are disabled."));
        return {};
    }
    holder_.ClickMode(index);
    return Sent(true);
}

QVariantMap UtilityBus::SetEnabled(bool on) {
    if (!Usable())
        return {};
    if (!holder_.View().controlsEnabled) {
        Fail(QLatin1String(ErrorRefused), QStringLiteral("The switch is disabled."));
        return {};
    }
    // The centre of the plate toggles; a light that is already as asked needs no click.
    const bool click = holder_.View().on != on;
    if (click)
        holder_.ClickSwitch();
    return Sent(click);
}

QVariantMap UtilityBus::Recover() {
    if (!Usable())
        return {};
    holder_.ClickRecover();
    return Sent(true);
}

QVariantMap UtilityBus::RestoreDefaults() {
    if (!Usable())
        return {};
    if (!holder_.View().controlsEnabled) {
        Fail(QLatin1String(ErrorRefused), QStringLiteral("Default is disabled."));
        return {};
    }
    if (!calledFromDBus()) {
        holder_.ClickDefault([](bool) {});
        return {};
    }
    // The holder runs the sequence on its timers; the answer waits for its last step.
    setDelayedReply(true);
    const QDBusMessage call = message();
    QDBusConnection bus = connection();
    QPointer<UtilityBus> self(this);
    holder_.ClickDefault([self, call, bus](bool answered) mutable {
        if (!self)
            return;
        QVariantMap map = self->ViewMap();
        map.insert(QStringLiteral("sent"), true);
        bus.send(answered ? call.createReply(QVariant(map))
                          : call.createErrorReply(QLatin1String(ErrorNoAnswer),
                                                  QStringLiteral("The controller did not answer "
                                                                 "after the restore.")));
    });
    return {};
}
