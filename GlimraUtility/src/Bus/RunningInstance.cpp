#include "Bus/RunningInstance.h"

#include "Bus/UtilityBus.h"
#include "Framework/SessionBus.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace RunningInstance {

bool Activate() {
    if (!fw::SessionBusReachable())
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
