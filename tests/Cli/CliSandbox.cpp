#include "CliSandbox.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

CliSandbox::CliSandbox() {
    QDir root(dir_.path());
    root.mkpath("sim");
    root.mkpath("xdg");
    root.mkpath("sys/class/hidraw");
    root.mkpath("dev");
    sysRoot_ = Path("sys");
    devRoot_ = Path("dev");
}

QString CliSandbox::Program(const QString& name) {
    return QStringLiteral(GLIMRA_BIN_DIR) + QLatin1Char('/') + name;
}

void CliSandbox::UseFakeSysfs(const QString& sysRoot, const QString& devRoot) {
    sysRoot_ = sysRoot;
    devRoot_ = devRoot;
}

QProcessEnvironment CliSandbox::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("GLIMRA_SIM_DIR", SimDir());
    env.insert("XDG_RUNTIME_DIR", Path("xdg"));
    env.insert("GLIMRA_SYSFS_ROOT", sysRoot_);
    env.insert("GLIMRA_DEV_ROOT", devRoot_);
    if (!busAddress_.isEmpty())
        env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress_);
    return env;
}

// Waits for the tool to end (killing it after two minutes) and takes what it said.
CliSandbox::Result CliSandbox::Collect(QProcess& process) {
    Result result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

CliSandbox::Result CliSandbox::Run(const QStringList& arguments, uid_t uid) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.setStandardInputFile(QProcess::nullDevice());
    QString program = Program("glimractl");
    if (uid != static_cast<uid_t>(-1)) {
        // The build tree may lie where that user cannot reach (a root-only home): run a copy
        // from this folder, which the caller opens to it.
        const QString copy = Path("glimractl");
        if (!QFile::exists(copy))
            QFile::copy(program, copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadOther | QFile::ExeOther);
        program = copy;
        process.setChildProcessModifier([uid] {
            if (setgid(uid) != 0 || setuid(uid) != 0)
                _exit(100);
        });
    }
    process.start(program, arguments);
    return Collect(process);
}

bool CliSandbox::StartOnTerminal(QProcess& process, const QStringList& arguments) const {
    QString command = Program("glimractl");
    for (QString argument : arguments)
        command += QStringLiteral(" '") + argument.replace("'", "'\\''") + QLatin1Char('\'');
    process.setProcessEnvironment(Environment());
    process.start("script", {"-qec", command, "/dev/null"});
    return process.waitForStarted(10000);
}

bool CliSandbox::Start(QProcess& process, const QStringList& arguments) const {
    process.setProcessEnvironment(Environment());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(Program("glimractl"), arguments);
    return process.waitForStarted(10000);
}

CliSandbox::Result CliSandbox::RunOnTerminal(const QStringList& arguments,
                                             const QByteArray& input) const {
    QProcess process;
    if (!StartOnTerminal(process, arguments))
        return {};
    process.write(input);
    process.closeWriteChannel();
    return Collect(process);
}
