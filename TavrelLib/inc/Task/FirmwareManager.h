#pragma once

#include "Task/AsyncTask.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <cstdint>

class CommManager;
class ControllerProtocol;

// Replaces the controller's firmware: restarts it into its loader, then (once the caller has
// reconnected) sends the image in CRC-checked, acknowledged blocks on a worker thread. Every
// device request goes to the connection's owner window; progress and the result go to the
// task's window as WM_FIRMWARE_NOTIFY, wParam the step.
class FirmwareManager : public AsyncTask {
public:
    // The step is also the cancel flag: 0 once the user cancelled.
    enum : int {
        StepCancelled = 0,
        StepFileInfo = 1, // lParam: const FirmwareFileInfo*
        StepProgress = 2, // lParam: percent 0-100
        StepSuccess = 3,
        StepFailure = 4,
        StepFinished = 5,
    };
    static constexpr unsigned BlockSize = 128;
    // The loader's acknowledgement is looked for in this much of its reply.
    static constexpr unsigned ReplyLength = 538;
    static constexpr unsigned AckFrameBytes = 16;

    FirmwareManager() = default;
    // A worker still running is cancelled and waited for.
    ~FirmwareManager();

    // Both borrowed. Takes the connection's protocol; step 1, no path.
    void Init(fw::Window* window, CommManager* connection);
    // Restarts a connected controller into its loader and closes the link (it leaves the bus).
    void RequestUpgradeMode();
    void Start(const QString& firmwarePath);
    // Returns once the worker has ended; the block being sent is finished first.
    void Cancel();

    int Step() const { return step_.load(); }
    const QString& FirmwarePath() const { return firmwarePath_; }

protected:
    // 1 when every block was accepted, 0 otherwise.
    int doInBackground() override;
    void onPostExecute(int result) override;

private:
    // 1 when the loader was told to expect a transfer.
    int BeginUpgrade();
    // Reads n bytes of the file, sends them with their CRC and checks the loader's answer;
    // buffer holds n + 2 bytes. 1 when accepted.
    int WriteBlock(QFile& file, std::uint8_t* buffer, unsigned n);
    // Sets the step unless the user has cancelled meanwhile; whether it was set.
    bool AdvanceStep(int step);
    void SendCommand(std::uint8_t code);

    CommManager* connection_ = nullptr;
    ControllerProtocol* protocol_ = nullptr;
    QString firmwarePath_;
    QFile file_;
    // Written by Cancel on the window's thread while the worker reads it between blocks.
    std::atomic<int> step_{StepFileInfo};
};
