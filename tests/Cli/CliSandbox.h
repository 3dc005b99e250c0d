#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

// One test's private world: its own simulator folder, runtime folder and an empty sysfs, so
// that neither a real controller nor another test's simulator is ever seen.
class CliSandbox {
public:
    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    CliSandbox();

    QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    QString SimDir() const { return Path("sim"); }
    QProcessEnvironment Environment() const;

    // Runs glimractl to its end. uid other than -1 runs it as that user (and its group).
    Result Run(const QStringList& arguments, uid_t uid = static_cast<uid_t>(-1)) const;

    // Runs glimractl on a terminal of its own (through script(1)), typing input into it.
    // The terminal turns every line end into CR LF.
    Result RunOnTerminal(const QStringList& arguments, const QByteArray& input) const;
    // Starts glimractl on a terminal of its own, for a test that types as it goes; whether it
    // started. Its output (stdout and stderr both) comes on process's standard output.
    bool StartOnTerminal(QProcess& process, const QStringList& arguments) const;
    // Starts glimractl with stdin from /dev/null, as Run does; whether it started.
    bool Start(QProcess& process, const QStringList& arguments) const;
    // Waits for a process started here to end and takes what it said.
    static Result Finish(QProcess& process) { return Collect(process); }

    // Runs every program on this session bus.
    void UseSessionBus(const QString& address) { busAddress_ = address; }
    // Points the hidraw backend at a fake tree under this folder.
    void UseFakeSysfs(const QString& sysRoot, const QString& devRoot);

    static QString Program(const QString& name);

private:
    static Result Collect(QProcess& process);

    QTemporaryDir dir_;
    QString sysRoot_;
    QString devRoot_;
    QString busAddress_;
};
