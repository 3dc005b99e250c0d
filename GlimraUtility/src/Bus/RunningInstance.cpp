#include "Bus/RunningInstance.h"

#include "Bus/UtilityBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>

namespace RunningInstance {

bool SessionBusReachable() {
    // Without either, the bus library would try to launch a bus of its own for the display.
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

bool Activate() {
    if (!SessionBusReachable())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(UtilityBus::ServiceName), QLatin1String(UtilityBus::ObjectPath),
        QLatin1String(UtilityBus::InterfaceName), QStringLiteral("Activate"));
    call.setAutoStartService(false);
    // The running window may be busy reading its controller for a moment.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace RunningInstance
