#include "Framework/SleepInhibitor.h"

#include "TempFolder.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// logind's Inhibit as far as we use it: hands out the write end of a pipe whose read end it
// keeps, so the test sees the inhibitor end when every copy of the write end is closed.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    // The service thread has ended by now.
    ~FakeLogind() override {
        if (readEnd >= 0)
            ::close(readEnd);
    }

    // Nobody has let go of the inhibitor handed out, so far.
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
    int ReadEnd() {
        std::lock_guard guard(lock);
        return readEnd;
    }

    std::mutex lock;
    QStringList arguments;
    int readEnd = -1;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                    const QString& mode) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        std::lock_guard guard(lock);
        arguments = {what, who, why, mode};
        readEnd = ends[0];
        // The descriptor object keeps its own copy until the reply is sent.
        QDBusUnixFileDescriptor handed(ends[1]);
        ::close(ends[1]);
        return handed;
    }
};

// A private bus of our own, standing in for the system bus.
class SleepInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "no dbus-daemon";
        bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                            QStringLiteral("--print-address=1"),
                            QStringLiteral("--address=unix:path=") + dir_.File("bus")});
        ASSERT_TRUE(bus_.waitForReadyRead(10000));
        address = QString::fromUtf8(bus_.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());
    }

    void TearDown() override {
        if (service_) {
            QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
            serviceThread_.quit();
            serviceThread_.wait();
            service_.reset();
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("inhibitor-client"));
        if (bus_.state() != QProcess::NotRunning) {
            bus_.kill();
            bus_.waitForFinished();
        }
    }

    // logind on the bus, answering on a thread of its own (the caller blocks for the answer).
    FakeLogind& RunLogind() {
        service_ = std::make_unique<FakeLogind>();
        service_->moveToThread(&serviceThread_);
        serviceThread_.start();
        QDBusConnection connection =
            QDBusConnection::connectToBus(address, QStringLiteral("fake-logind"));
        EXPECT_TRUE(connection.registerObject(QStringLiteral("/org/freedesktop/login1"),
                                              service_.get(), QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.login1")));
        return *service_;
    }

    QDBusConnection Client() const {
        return QDBusConnection::connectToBus(address, QStringLiteral("inhibitor-client"));
    }

    QString address;

private:
    TempFolder dir_;
    QProcess bus_;
    QThread serviceThread_;
    std::unique_ptr<FakeLogind> service_;
};

TEST_F(SleepInhibitorTest, HoldsABlockOnSleepAndShutdownUntilReleased) {
    FakeLogind& logind = RunLogind();
    {
        fw::SleepInhibitor inhibitor(Client());
        EXPECT_FALSE(inhibitor.IsHeld());
        ASSERT_TRUE(
            inhibitor.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("flashing")));
        EXPECT_TRUE(inhibitor.IsHeld());
        {
            std::lock_guard guard(logind.lock);
            EXPECT_EQ(logind.arguments,
                      (QStringList{"sleep:shutdown", "Glimra Utility", "flashing", "block"}));
        }
        EXPECT_TRUE(logind.Held());
        // Asking again keeps the one inhibitor.
        EXPECT_TRUE(inhibitor.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("again")));
        inhibitor.Release();
        EXPECT_FALSE(inhibitor.IsHeld());
        EXPECT_TRUE(logind.Released());

        // Taken again, it ends with the object.
        ASSERT_TRUE(
            inhibitor.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("flashing")));
        EXPECT_TRUE(logind.Held());
    }
    EXPECT_TRUE(logind.Released());
}

// No logind on the bus, or no bus at all: nothing held, nothing else happens.
TEST_F(SleepInhibitorTest, WithoutLogindOrABusNothingIsHeld) {
    fw::SleepInhibitor withoutService(Client());
    EXPECT_FALSE(withoutService.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("x")));
    EXPECT_FALSE(withoutService.IsHeld());

    fw::SleepInhibitor withoutBus(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/glimra-bus"), QStringLiteral("no-bus")));
    EXPECT_FALSE(withoutBus.Acquire(QStringLiteral("Glimra Utility"), QStringLiteral("x")));
    EXPECT_FALSE(withoutBus.IsHeld());
    withoutBus.Release();
    QDBusConnection::disconnectFromBus(QStringLiteral("no-bus"));
}

} // namespace

#include "SleepInhibitorTest.moc"
