#pragma once

#include "Framework/Window.h"
#include "Task/FirmwareManager.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QString>

#include <memory>

class CommManager;

// The firmware dialog's procedure without the dialog: restart the controller into its loader,
// reconnect once a second up to 30 times, run the transfer and report its progress and result.
class CliFirmwareUpdate : public fw::Window {
    Q_OBJECT
public:
    static constexpr int ReconnectAttempts = 30;
    static constexpr unsigned ReconnectPeriodMs = 1000;

    CliFirmwareUpdate(CommManager& connection, const QString& firmwarePath);

    // The exit status: success, or the controller did not come back, the update failed or
    // was interrupted (Ctrl-C cancels as the dialog's Cancel button does).
    int Run();

private:
    void OnInterrupt();
    fw::LRESULT OnTimer(fw::WPARAM id);
    fw::LRESULT OnNotify(fw::WPARAM step, fw::LPARAM data);
    void ShowProgress(int percent);
    void Finish(int exitCode, const QString& result);

    CommManager& connection_;
    QString firmwarePath_;
    FirmwareManager task_;
    QEventLoop loop_;
    int countdown_ = ReconnectAttempts;
    int exitCode_ = 0;
    bool bar_ = false;      // progress drawn as a bar that is redrawn in place
    bool barShown_ = false; // the bar's line is open
    bool started_ = false;  // the transfer's worker was started
    bool finished_ = false; // the outcome has been told
    std::unique_ptr<QSocketNotifier> interrupt_;
};
