#include "Bus/UtilityBus.h"

#include "Framework/SessionBus.h"
#include "Framework/Trace.h"
#include "Framework/Window.h"
#include "GlimraUtilityDlg.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

UtilityBus::UtilityBus(fw::Window* window)
    : window_(window), mainWindow_(qobject_cast<GlimraUtilityDlg*>(window)) {
    if (!fw::SessionBusReachable())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // The object first, so that a caller who sees the name always finds it.
    if (!bus.registerObject(QLatin1String(ObjectPath), this,
                            QDBusConnection::ExportScriptableSlots)) {
        fw::Trace(QStringLiteral("Session bus: the object path is taken."));
        return;
    }
    if (!bus.registerService(QLatin1String(ServiceName))) {
        fw::Trace(
            QStringLiteral("Session bus: the name %1 is taken.").arg(QLatin1String(ServiceName)));
        bus.unregisterObject(QLatin1String(ObjectPath));
        return;
    }
    registered_ = true;
}

UtilityBus::~UtilityBus() {
    if (window_)
        window_->removeEventFilter(this);
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QLatin1String(ServiceName));
    bus.unregisterObject(QLatin1String(ObjectPath));
}

void UtilityBus::Deliver(unsigned msg, uint value) {
    if (window_)
        fw::SendMessage(window_, msg, static_cast<fw::WPARAM>(value), 0);
}

void UtilityBus::AddFanSpeed(uint value) {
    Deliver(MsgFanSpeed, value);
}

void UtilityBus::AddGpuTemperature(uint value) {
    Deliver(MsgGpuTemperature, value);
}

void UtilityBus::AddCpuTemperature(uint value) {
    Deliver(MsgCpuTemperature, value);
}

void UtilityBus::Activate() {
    if (mainWindow_ && window_)
        mainWindow_->ShowFromTray();
    else if (calledFromDBus())
        sendErrorReply(QDBusError::NotSupported, QStringLiteral("There is no main window."));
}
