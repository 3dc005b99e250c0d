#pragma once

#include "Protocol/ControllerProtocol.h"

#include <atomic>
#include <memory>
#include <mutex>

class CommInter;
class TavrelUsbDev;
class TrRequestSide;
struct UsbDeviceEntry;

// The one way the windows reach the controller: owns the link made for a device table and the
// protocol object bound to it and to the owner window. Scan, open, close and the connected
// question are serialised by one lock, so the firmware worker may ask while the window acts.
// Lock order: this manager, then the link, then the process-wide HID lock.
class CommManager {
public:
    enum : int { LinkNone = 0, LinkUsbHid = 1 };

    CommManager();
    ~CommManager();
    CommManager(const CommManager&) = delete;
    CommManager& operator=(const CommManager&) = delete;

    // Once, on the owner's thread, before any other thread uses the manager. The owner (the
    // main window, or the command-line tool's request window) executes every link request and
    // receives HID arrival and removal; none means neither. The table is borrowed.
    void CreateUsbLink(TrRequestSide* owner, UsbDeviceEntry* table, unsigned count);

    void RefreshDevices();
    // The link's connected flag; 0 without a link or for an index beyond the last scan's count.
    int Open(int index);
    void Close();
    int IsConnected();
    int CurrentIndex() const { return currentIndex_.load(); }
    // None until the link exists.
    ControllerProtocol* GetProtocol() { return linkKind_ != LinkNone ? &protocol_ : nullptr; }

    // Present entries found by the last RefreshDevices.
    unsigned DeviceCount();
    int LinkKind() const { return linkKind_; }
    // The USB link itself, for what only it knows (serials, permission); none until created.
    TavrelUsbDev* UsbLink() const { return link_.get(); }
    // Whether the link's last write did not deliver its whole frame; false without a link.
    bool LastWriteFailed() const;
    // Whether the link dropped its channel because the controller stopped answering (an I/O
    // error or a write time-out) since the last good Open. The link also posts WM_COMM_LOST
    // to the owner given to CreateUsbLink; a holder answers it by closing, showing the loss
    // and scanning again. False without a link.
    bool ChannelLost() const;

private:
    UsbDeviceEntry* table_ = nullptr;
    unsigned tableCount_ = 0;
    std::unique_ptr<TavrelUsbDev> link_;
    ControllerProtocol protocol_;
    unsigned deviceCount_ = 0;
    // Written under the lock, read without it (as the dialogs do) from any thread.
    std::atomic<int> currentIndex_{-1};
    std::recursive_mutex lock_;
    int linkKind_ = LinkNone;
};
