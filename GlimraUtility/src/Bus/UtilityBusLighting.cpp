#include "Bus/UtilityBus.h"

#include "Control/LightingActions.h"
#include "GlimraUtilityDlg.h"
#include "Model/LightingModel.h"
#include "Protocol/CommManager.h"

#include <QApplication>
#include <QDBusConnection>
#include <QEvent>

// The lighting calls of the bus object: each does what the click on the window's control does,
// through the window, so the window shows the change at once and sends the click's frames.

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

GlimraUtilityDlg* UtilityBus::LightingWindow(bool needConnected) {
    auto refuse = [this](const QString& name, const QString& text) -> GlimraUtilityDlg* {
        Fail(name, text);
        return nullptr;
    };
    if (!mainWindow_ || !window_)
        return refuse(QDBusError::errorString(QDBusError::NotSupported),
                      QStringLiteral("There is no main window."));
    // While another of the program's dialogs is open (a firmware update above all), the window
    // cannot be clicked, and neither can it be driven from here.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != mainWindow_->Widget())
        return refuse(QLatin1String(ErrorBusy),
                      QStringLiteral("The Glimra Utility window has a dialog open."));
    if (needConnected && !mainWindow_->IsConnected())
        return refuse(QLatin1String(ErrorNotConnected),
                      QStringLiteral("The window is not connected to a controller."));
    return mainWindow_;
}

QVariantMap UtilityBus::ViewMap() const {
    if (!mainWindow_ || !window_)
        return {};
    const LightingView& view = mainWindow_->Lighting().View();
    return {
        {QStringLiteral("connected"), mainWindow_->IsConnected()},
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
    if (sent && mainWindow_->Comm().LastWriteFailed()) {
        Fail(QLatin1String(ErrorNoAnswer),
             QStringLiteral("The command did not reach the controller."));
        return {};
    }
    QVariantMap map = ViewMap();
    map.insert(QStringLiteral("sent"), sent);
    return map;
}

QVariantMap UtilityBus::View() {
    if (!LightingWindow(false))
        return {};
    return ViewMap();
}

QVariantMap UtilityBus::Status() {
    GlimraUtilityDlg* window = LightingWindow(false);
    if (!window)
        return {};
    if (!window->IsConnected())
        return {{QStringLiteral("connected"), false}};
    const bool answered = window->Refresh() != 0;
    QVariantMap map = ViewMap();
    map.insert(QStringLiteral("answered"), answered);
    const ControllerProtocol* protocol = window->Comm().GetProtocol();
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
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    if (!window->IsPlateEnabled()) {
        Fail(QLatin1String(ErrorRefused),
             QStringLiteral("The colour cannot be chosen in this mode."));
        return {};
    }
    window->ClickSwatch(swatch);
    return Sent(true);
}

QVariantMap UtilityBus::StepBrightness(bool up) {
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    if (!window->IsBrightnessEnabled()) {
        Fail(QLatin1String(ErrorRefused),
             QStringLiteral("The brightness cannot be changed in this mode."));
        return {};
    }
    const unsigned before = window->Lighting().View().level;
    if (up)
        window->ClickPlus();
    else
        window->ClickMinus();
    return Sent(window->Lighting().View().level != before);
}

QVariantMap UtilityBus::SetBrightness(uint level) {
    if (level < LightingActions::MinLevel || level > LightingActions::MaxLevel) {
        Fail(QDBusError::InvalidArgs, QStringLiteral("The level is 1 to 8."));
        return {};
    }
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    if (!window->IsBrightnessEnabled()) {
        Fail(QLatin1String(ErrorRefused),
             QStringLiteral("The brightness cannot be changed in this mode."));
        return {};
    }
    // A user gets there with one click of Increase or Decrease per level.
    bool sent = false;
    for (unsigned current = window->Lighting().View().level; current != level;) {
        if (current < level)
            window->ClickPlus();
        else
            window->ClickMinus();
        const unsigned now = window->Lighting().View().level;
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
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    if (!window->Lighting().View().controlsEnabled) {
        Fail(QLatin1String(ErrorRefused), QStringLiteral("The modes are disabled."));
        return {};
    }
    window->ClickMode(index);
    return Sent(true);
}

QVariantMap UtilityBus::SetEnabled(bool on) {
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    if (!window->Lighting().View().controlsEnabled) {
        Fail(QLatin1String(ErrorRefused), QStringLiteral("The switch is disabled."));
        return {};
    }
    // The centre of the plate toggles; a light that is already as asked needs no click.
    const bool click = window->Lighting().View().on != on;
    if (click)
        window->ClickSwitch();
    return Sent(click);
}

QVariantMap UtilityBus::Recover() {
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    window->CommandRecover();
    return Sent(true);
}

QVariantMap UtilityBus::RestoreDefaults() {
    GlimraUtilityDlg* window = LightingWindow();
    if (!window)
        return {};
    if (!window->Lighting().View().controlsEnabled) {
        Fail(QLatin1String(ErrorRefused), QStringLiteral("Default is disabled."));
        return {};
    }
    window->ClickDefault();
    if (!calledFromDBus())
        return {};
    // The window runs the sequence on its timers; the answer waits for its last step.
    setDelayedReply(true);
    if (defaultWaiters_.empty())
        window_->installEventFilter(this);
    defaultWaiters_.push_back(message());
    return {};
}

bool UtilityBus::eventFilter(QObject* watched, QEvent* event) {
    // Look again once the window has handled the timer.
    if (watched == window_ && event->type() == QEvent::Timer)
        QMetaObject::invokeMethod(this, &UtilityBus::FinishDefaults, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void UtilityBus::FinishDefaults() {
    if (defaultWaiters_.empty() || !mainWindow_ || !window_)
        return;
    for (unsigned timer :
         {GlimraUtilityDlg::TIMER_DEFAULT_RESTORE, GlimraUtilityDlg::TIMER_DEFAULT_ELEMENTS,
          GlimraUtilityDlg::TIMER_DEFAULT_REFRESH})
        if (mainWindow_->IsTimerPending(timer))
            return;
    window_->removeEventFilter(this);
    const bool answered = mainWindow_->Lighting().View().controlsEnabled;
    QVariantMap map = ViewMap();
    map.insert(QStringLiteral("sent"), true);
    for (const QDBusMessage& call : defaultWaiters_) {
        QDBusConnection::sessionBus().send(
            answered ? call.createReply(QVariant(map))
                     : call.createErrorReply(QLatin1String(ErrorNoAnswer),
                                             QStringLiteral("The controller did not answer after "
                                                            "the restore.")));
    }
    defaultWaiters_.clear();
}
