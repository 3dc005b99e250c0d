#pragma once

#include "CliInterrupt.h"
#include "Framework/SleepInhibitor.h"
#include "Framework/Window.h"
#include "Task/FirmwareManager.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QString>

#include <memory>

class CommManager;

// The firmware dialog's procedure without the dialog: restart the controller into its loader,
// reconnect once a second up to 30 times, run the transfer and report its progress and result,
// then wait for the controller to come back with its new firmware and say which version it
// reports.
class CliFirmwareUpdate : public fw::Window {
    Q_OBJECT
public:
    static constexpr int ReconnectAttempts = 30;
    static constexpr unsigned ReconnectPeriodMs = 1000;
    // How long the controller may take to come back after the update, and how often it is
    // looked for meanwhile.
    static constexpr int ReturnWaitMs = 10000;
    static constexpr unsigned ReturnPeriodMs = 200;

    // json: the outcome goes to stdout as one object, instead of progress and result lines.
    CliFirmwareUpdate(CommManager& connection, const QString& firmwarePath, bool json);

    // The exit status: success (whether or not the controller came back in time), or the
    // restart request did not reach the controller, it did not come back into its loader, the
    // update failed or was interrupted (Ctrl-C cancels as the dialog's Cancel button does).
    int Run();

private:
    void OnInterrupt();
    fw::LRESULT OnTimer(fw::WPARAM id);
    fw::LRESULT OnNotify(fw::WPARAM step, fw::LPARAM data);
    void ShowProgress(int percent);
    void Finish(int exitCode, const QString& result, const char* error);
    void CloseBar();
    // Reconnects and reads the controller's state; whether it answered with its version.
    bool LookForReturn();
    void WaitForReturn();
    void StopWaiting(bool returned, bool interrupted);

    CommManager& connection_;
    QString firmwarePath_;
    bool json_ = false;
    FirmwareManager task_;
    fw::SleepInhibitor inhibitor_; // held while blocks are written
    QEventLoop loop_;
    int countdown_ = ReconnectAttempts;
    int exitCode_ = 0;
    int lastPercent_ = -1;
    bool bar_ = false;      // progress drawn as a bar that is redrawn in place
    bool barShown_ = false; // the bar's line is open
    bool started_ = false;  // the transfer's worker was started
    bool finished_ = false; // the outcome has been told
    bool waiting_ = false;  // looking for the controller after a successful update
    QDeadlineTimer returnDeadline_;
    QJsonObject outcome_;
    std::unique_ptr<CliInterrupt> interrupt_;
};
