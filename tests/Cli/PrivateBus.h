#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// A session bus of the test's own (dbus-daemon --session), so the service and the window meet
// there and never on a developer's desktop bus. Gone with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    bool Ready() const { return !address_.isEmpty(); }
    QString Address() const { return address_; }
    // env with this bus as the session bus.
    void Into(QProcessEnvironment& env) const;
    // The process id of the name's owner; 0 when it has none.
    qint64 OwnerPid(const QString& name) const;

private:
    QProcess daemon_;
    QString address_;
};
