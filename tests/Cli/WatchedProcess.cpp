#include "WatchedProcess.h"

#include <QElapsedTimer>

WatchedProcess::WatchedProcess(const QString& program, const QStringList& arguments,
                               const QProcessEnvironment& env) {
    process_.setProcessEnvironment(env);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.start(program, arguments);
    started_ = process_.waitForStarted(10000);
}

WatchedProcess::~WatchedProcess() {
    if (Running()) {
        process_.kill();
        process_.waitForFinished();
    }
}

QByteArray WatchedProcess::Log() {
    log_ += process_.readAllStandardError();
    return log_;
}

bool WatchedProcess::WaitForLog(const QByteArray& text, int count) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (Log().count(text) >= count)
            return true;
        if (timer.elapsed() > 10000 || !Running())
            return Log().count(text) >= count;
        process_.waitForReadyRead(100);
    }
}

int WatchedProcess::Terminate() {
    if (Running()) {
        process_.terminate();
        if (!process_.waitForFinished(20000))
            return -1;
    }
    Log();
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}
