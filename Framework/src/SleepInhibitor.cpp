#include "Framework/SleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace fw {

namespace {
// The window's thread waits for the answer: a bus that does not answer must not hang it.
constexpr int CallTimeoutMs = 2000;
} // namespace

SleepInhibitor::SleepInhibitor() : bus_(QString()), systemBus_(true) {}

SleepInhibitor::SleepInhibitor(const QDBusConnection& bus) : bus_(bus) {}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

bool SleepInhibitor::Acquire(const QString& who, const QString& why) {
    if (fd_ >= 0)
        return true;
    if (systemBus_) {
        bus_ = QDBusConnection::systemBus();
        systemBus_ = false;
    }
    if (!bus_.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:shutdown") << who << why << QStringLiteral("block");
    const QDBusMessage reply = bus_.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const auto descriptor = reply.arguments().constFirst().value<QDBusUnixFileDescriptor>();
    if (!descriptor.isValid())
        return false;
    // The reply's copy closes with it; ours keeps the inhibitor until Release.
    fd_ = ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
    return fd_ >= 0;
}

void SleepInhibitor::Release() {
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
}

} // namespace fw
