#include "Framework/SleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace fw {

namespace {

// The window's thread waits for the answer: a bus that does not answer must not hang it.
constexpr int CallTimeoutMs = 2000;

QString SystemBusAddress() {
    const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
    return address.isEmpty() ? QStringLiteral("unix:path=/run/dbus/system_bus_socket") : address;
}

} // namespace

SleepInhibitor::SleepInhibitor(const QDBusConnection& bus) : bus_(bus) {}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

bool SleepInhibitor::Acquire(const QString& who, const QString& why) {
    if (fd_ >= 0)
        return true;
    if (bus_) {
        fd_ = Inhibit(*bus_, who, why);
    } else {
        // A connection of our own rather than the process's shared one, which is made once and
        // kept: the bus may have come (or gone) since.
        const QString name =
            QStringLiteral("glimra-sleep-inhibitor-%1").arg(reinterpret_cast<quintptr>(this));
        fd_ = Inhibit(QDBusConnection::connectToBus(SystemBusAddress(), name), who, why);
        QDBusConnection::disconnectFromBus(name);
    }
    return fd_ >= 0;
}

int SleepInhibitor::Inhibit(const QDBusConnection& bus, const QString& who, const QString& why) {
    if (!bus.isConnected())
        return -1;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:shutdown") << who << why << QStringLiteral("block");
    const QDBusMessage reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return -1;
    const auto descriptor = reply.arguments().constFirst().value<QDBusUnixFileDescriptor>();
    if (!descriptor.isValid())
        return -1;
    // The reply's copy closes with it; ours keeps the inhibitor until Release.
    return ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

void SleepInhibitor::Release() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

} // namespace fw
