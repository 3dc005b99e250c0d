#pragma once

#include "Framework/Window.h"
#include "Link/CommInter.h"
#include "Link/DeviceSerial.h"
#include "Link/HidChannel.h"
#include "Link/HidLayer.h"
#include "Link/UsbDeviceEntry.h"

#include <atomic>

// The USB HID link: one channel to one controller picked from a table of vendor and product
// ids.
class TavrelUsbDev : public CommInter {
public:
    TavrelUsbDev();
    ~TavrelUsbDev();

    // Called once, right after construction; registers window (when given) for HID arrival
    // and removal notifications.
    void SetDeviceTable(fw::Window* window, UsbDeviceEntry* table, unsigned count);

    int Scan() override;
    int Open(unsigned index) override;
    int IsOpen() override;
    int Read(void* buffer, unsigned length) override;
    int Write(const void* data, unsigned length) override;
    void Close() override;
    int ReadUntil(void* buffer, unsigned length, ReadComplete complete) override;

    // Whether the last Scan or Open found a wanted interface that the user may not open.
    bool PermissionDenied() const { return permissionDenied_.load(); }
    // Whether the last Write failed to deliver its whole frame (no open channel, I/O error,
    // device gone). Write's own result stays what callers of the link have always seen.
    bool LastWriteFailed() const { return lastWriteFailed_.load(); }
    // Whether the channel was dropped because it failed (an I/O error, or an output report the
    // device would not take in time) since the last Open. A controller can vanish without a
    // removal (USB reset, a crash, a killed simulator); the link then closes the channel, so
    // that the next Open reaches whatever is there now, and posts WM_COMM_LOST to the window
    // given to SetDeviceTable. A silent read alone is not a loss: the loader answers no
    // queries.
    bool ChannelLost() const { return channelLost_.load(); }

    const DeviceSerial& Serial(unsigned index) const { return serials_[index]; }

private:
    // Under lock_: closes a failed channel and tells the owner, once per open channel.
    void DropFailedChannel();

    fw::Window* notifyWindow_ = nullptr;
    int connected_ = 0;
    HidChannel channel_;
    HidNotifyHandle notifyHandle_ = nullptr;
    UsbDeviceEntry* table_ = nullptr;
    unsigned count_ = 0;
    DeviceSerial serials_[kHidSerialRecords];
    std::atomic<bool> permissionDenied_{false};
    std::atomic<bool> lastWriteFailed_{false};
    std::atomic<bool> channelLost_{false};
};
