#pragma once

#include "Framework/Dialog.h"
#include "Framework/SleepInhibitor.h"
#include "Task/FirmwareManager.h"

#include <QString>

class CommManager;
class QLabel;
class QProgressBar;

// The firmware update dialog (template 129): restarts the controller into its loader, waits for
// it to come back, then shows the transfer's progress and its result. Runs on the main
// window's thread; the transfer's link requests go to the main window through this dialog's
// modal loop.
class FirmwareDlg : public fw::Dialog {
    Q_OBJECT
public:
    enum { IDD = 129 };
    // Reconnection: one attempt a tick, this many.
    static constexpr int ReconnectAttempts = 30;
    static constexpr unsigned ReconnectIntervalMs = 1000;

    explicit FirmwareDlg(fw::Dialog* parent = nullptr);
    // A worker still running is cancelled and waited for.
    ~FirmwareDlg() override;

    // Both borrowed; before DoModal.
    void Setup(CommManager* connection, const QString& firmwarePath);

    // The modal run; returns once the dialog has closed and the worker has ended (after a
    // result the worker still finishes while the dialog closes).
    int DoModal();

    // Tests only: a shorter reconnection tick for the dialogs opened after this call; 0 goes
    // back to the program's one second.
    static void SetReconnectIntervalForTesting(unsigned ms);

    const FirmwareManager& Task() const { return task_; }
    const fw::SleepInhibitor& Inhibitor() const { return inhibitor_; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    enum : std::uintptr_t { ReconnectTimer = 0 };

    fw::LRESULT OnTimer(fw::WPARAM id);
    fw::LRESULT OnFirmwareNotify(fw::WPARAM step, fw::LPARAM lParam);
    // Status line or progress bar with its percentage: one of them at a time.
    void ShowStatus(bool status);
    void SetStatus(const QString& text);
    void SetPercent(int percent);
    // Ends the dialog without touching the task (its worker may still be reporting).
    void Close();

    QLabel* Label(int id) const;
    QProgressBar* Progress() const;

    FirmwareManager task_;
    fw::SleepInhibitor inhibitor_;
    QString firmwarePath_;
    CommManager* connection_ = nullptr;
    int reconnectCountdown_ = ReconnectAttempts;
};
