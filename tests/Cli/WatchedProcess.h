#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A long-running program of the test (glimractl serve, the window) whose standard error is
// kept as it comes, so a test can wait for what it logs. Terminated with the object.
class WatchedProcess {
public:
    WatchedProcess(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& env);
    ~WatchedProcess();

    bool Started() const { return started_; }
    qint64 Pid() const { return process_.processId(); }
    // Waits (up to ten seconds) until its standard error holds text at least count times.
    bool WaitForLog(const QByteArray& text, int count = 1);
    QByteArray Log();
    // Sends SIGTERM (unless it has ended already) and waits for the end; the exit status, -1 when
    // it crashed or hung.
    int Terminate();
    bool Running() const { return process_.state() != QProcess::NotRunning; }

private:
    QProcess process_;
    QByteArray log_;
    bool started_ = false;
};
