#pragma once

#include "Bus/UtilityBus.h"
#include "DispatchUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QVariantList>

// A second connection to the test's session bus: calls reach the program's object through the
// bus daemon, as another program's would. The calls are asynchronous and this thread keeps
// dispatching while it waits, because the object answers on this same thread.
class BusClient {
public:
    BusClient()
        : connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                    QStringLiteral("glimra-test-client"))) {}
    ~BusClient() { QDBusConnection::disconnectFromBus(QStringLiteral("glimra-test-client")); }

    bool IsConnected() const { return connection_.isConnected(); }
    QDBusConnection& Connection() { return connection_; }

    // The reply (or error) of one method call on the program's interface.
    QDBusMessage Call(const QString& method, const QVariantList& args = {}, int timeoutMs = 20000) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(UtilityBus::ServiceName), QLatin1String(UtilityBus::ObjectPath),
            QLatin1String(UtilityBus::InterfaceName), method);
        call.setArguments(args);
        QDBusPendingCall pending = connection_.asyncCall(call, timeoutMs);
        DispatchUntil([&pending] { return pending.isFinished(); }, timeoutMs + 1000);
        return pending.reply();
    }

    bool NameHasOwner(const QString& name) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        call.setArguments({name});
        QDBusPendingCall pending = connection_.asyncCall(call);
        DispatchUntil([&pending] { return pending.isFinished(); });
        const QDBusMessage reply = pending.reply();
        return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
    }

private:
    QDBusConnection connection_;
};
