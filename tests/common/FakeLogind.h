#pragma once

#include "TempFolder.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <memory>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

// Qt D-Bus and libdbus hand every message between threads inside uninstrumented libraries, so
// ThreadSanitizer reports their internals: the bus tests don't run under it.
inline bool UnderThreadSanitizer() {
#if defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
    return true;
#endif
#endif
    return false;
}

// logind's Inhibit as far as the program uses it: hands out the write end of a pipe whose read
// end it keeps, so a test sees the inhibitor end when every copy of the write end is closed.
class FakeLogindObject : public QDBusVirtualObject {
public:
    ~FakeLogindObject() override {
        if (readEnd_ >= 0)
            ::close(readEnd_);
    }

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.freedesktop.login1.Manager\">"
            "<method name=\"Inhibit\"><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
            "<arg type=\"s\" direction=\"in\"/><arg type=\"h\" direction=\"out\"/>"
            "</method></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String("org.freedesktop.login1.Manager") ||
            message.member() != QLatin1String("Inhibit"))
            return false;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        {
            std::lock_guard guard(lock_);
            arguments_.clear();
            for (const QVariant& argument : message.arguments())
                arguments_ << argument.toString();
            if (readEnd_ >= 0)
                ::close(readEnd_);
            readEnd_ = ends[0];
        }
        // The descriptor object keeps its own copy while the reply is sent.
        const QDBusUnixFileDescriptor handed(ends[1]);
        ::close(ends[1]);
        connection.send(message.createReply(QVariant::fromValue(handed)));
        return true;
    }

    QStringList Arguments() {
        std::lock_guard guard(lock_);
        return arguments_;
    }
    // An inhibitor was handed out and nobody has let go of it so far.
    bool Held() {
        const int fd = ReadEnd();
        pollfd p{fd, POLLIN, 0};
        return fd >= 0 && ::poll(&p, 1, 0) == 0;
    }
    // Every copy of it is closed: the bus and the reply let go of theirs soon after the call,
    // the holder when it releases.
    bool Released(int timeoutMs = 10000) {
        const int fd = ReadEnd();
        pollfd p{fd, POLLIN, 0};
        char byte;
        return fd >= 0 && ::poll(&p, 1, timeoutMs) == 1 && ::read(fd, &byte, 1) == 0;
    }

private:
    int ReadEnd() {
        std::lock_guard guard(lock_);
        return readEnd_;
    }

    std::mutex lock_;
    QStringList arguments_;
    int readEnd_ = -1;
};

// A private bus of its own, standing in for the system bus, with logind on it when asked for.
// logind answers on a thread of its own, since its callers block for the answer.
class PrivateBus {
public:
    ~PrivateBus() { Stop(); }

    // False when no dbus-daemon can be run here.
    bool Start() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return false;
        process_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                QStringLiteral("--print-address=1"),
                                QStringLiteral("--address=unix:path=") + dir_.File("bus")});
        if (!process_.waitForReadyRead(10000))
            return false;
        address_ = QString::fromUtf8(process_.readLine()).trimmed();
        return !address_.isEmpty();
    }

    FakeLogindObject& RunLogind() {
        logind_ = std::make_unique<FakeLogindObject>();
        logind_->moveToThread(&thread_);
        thread_.start();
        QDBusConnection connection = QDBusConnection::connectToBus(address_, ServiceName());
        connection.registerVirtualObject(QStringLiteral("/org/freedesktop/login1"), logind_.get());
        connection.registerService(QStringLiteral("org.freedesktop.login1"));
        return *logind_;
    }

    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(address_, name);
    }
    const QString& Address() const { return address_; }

    void Stop() {
        if (logind_) {
            QDBusConnection::disconnectFromBus(ServiceName());
            thread_.quit();
            thread_.wait();
            logind_.reset();
        }
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

private:
    static QString ServiceName() { return QStringLiteral("fake-logind"); }

    TempFolder dir_;
    QProcess process_;
    QString address_;
    QThread thread_;
    std::unique_ptr<FakeLogindObject> logind_;
};
