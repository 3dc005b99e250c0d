#include "PrivateBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QElapsedTimer>

PrivateBus::PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    QElapsedTimer timer;
    timer.start();
    QByteArray said;
    while (timer.elapsed() < 10000 && daemon_.state() != QProcess::NotRunning) {
        daemon_.waitForReadyRead(100);
        said += daemon_.readAllStandardOutput();
        if (said.contains('\n')) {
            address_ = QString::fromLocal8Bit(said.left(said.indexOf('\n')).trimmed());
            break;
        }
    }
}

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("glimra-test-bus"));
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000)) {
        daemon_.kill();
        daemon_.waitForFinished();
    }
}

void PrivateBus::Into(QProcessEnvironment& env) const {
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
}

qint64 PrivateBus::OwnerPid(const QString& name) const {
    QDBusConnection bus =
        QDBusConnection::connectToBus(address_, QStringLiteral("glimra-test-bus"));
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(name).value())
        return 0;
    const QDBusReply<uint> pid = bus.interface()->servicePid(name);
    return pid.isValid() ? pid.value() : 0;
}
