#pragma once

#include "Control/LightingActions.h"
#include "Control/LightingHolder.h"
#include "Link/UsbDeviceEntry.h"
#include "Protocol/CommManager.h"
#include "Protocol/TrRequestWindow.h"

#include <functional>
#include <vector>

// The controller held without a window, for the background service: it connects, follows
// unplug and replug through the device notifications, and runs the clicks, as the main window
// does with its controls. While released (a window has taken over) it holds nothing and lets
// device notifications pass.
class HeadlessHolder : public TrRequestWindow, public LightingHolder {
    Q_OBJECT
public:
    static constexpr std::uint16_t VendorId = 0x04D9;
    static constexpr std::uint16_t ProductId = 0x8008;
    // After taking over from another opener, how often and how long a controller it still
    // holds is looked at again.
    static constexpr unsigned RetryMs = 100;
    static constexpr int RetryCount = 50;

    explicit HeadlessHolder(QObject* parent = nullptr);
    ~HeadlessHolder() override;

    // Scans, opens the first controller and reads it back, as the window after it starts;
    // also takes the controller back after a release.
    void Connect();
    // Closes the controller; until the next Connect device notifications are left alone.
    void Release();
    bool IsReleased() const { return released_; }

    bool IsConnected() const override { return connected_; }
    bool IsBusy() const override { return false; }
    const LightingView& View() const override { return lighting_.View(); }
    int Refresh() override;
    const ControllerProtocol* Protocol() const override { return lighting_.Protocol(); }
    bool LastWriteFailed() const override { return manager_.LastWriteFailed(); }
    void ClickSwatch(int swatch) override;
    void ClickSwitch() override;
    void ClickPlus() override;
    void ClickMinus() override;
    void ClickMode(int index) override;
    void ClickRecover() override;
    void ClickDefault(std::function<void(bool answered)> done) override;
    void Activate() override {}

Q_SIGNALS:
    // The controller came or went (connected: it was opened; answered: it was read back).
    void ConnectionChanged(bool connected, bool answered);

private:
    enum : unsigned {
        TimerConnection = 0,
        TimerDefaultRestore = 1,
        TimerDefaultElements = 2,
        TimerDefaultRefresh = 3,
        TimerRetry = 4,
    };

    fw::LRESULT OnTimer(fw::WPARAM id);
    fw::LRESULT OnDeviceChange(fw::WPARAM event, fw::LPARAM data);
    // The link dropped a channel that stopped answering.
    fw::LRESULT OnConnectionLost();
    // One attempt; false when another opener still holds the controller. sayAbsent: report
    // finding none (a removal has said so already).
    bool TryConnect(bool sayAbsent);
    void Disconnect();

    UsbDeviceEntry table_[1] = {{VendorId, ProductId, 0}};
    CommManager manager_;
    LightingActions lighting_;
    bool connected_ = false;
    bool released_ = true;
    bool arrival_ = false; // what the connection timer is to apply
    bool rescanAfterLoss_ = false;
    int retriesLeft_ = 0;
    std::vector<std::function<void(bool)>> defaultDone_;
};
