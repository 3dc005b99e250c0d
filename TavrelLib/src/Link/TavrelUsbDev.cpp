#include "Link/TavrelUsbDev.h"

#include "Protocol/CommMessages.h"

#include <mutex>

namespace {

constexpr unsigned kReadTimeoutMs = 1000; // per input report
constexpr unsigned kWriteTimeoutMs = 50;  // per output report

// What says the channel no longer reaches a controller: the descriptor failed, or an output
// report was not taken in time (hidraw and the simulator take one at once while the device
// lives). A read time-out is left out: a controller may stay silent on purpose.
bool ChannelFailed(HidResult result, bool writing) {
    return result == HID_IO_ERROR || result == HID_FAILURE || (writing && result == HID_TIMEOUT);
}

} // namespace

TavrelUsbDev::TavrelUsbDev() {
    channel_.handle = 0;
    channel_.open = 0;
    channel_.readTimeout = kReadTimeoutMs;
    channel_.writeTimeout = kWriteTimeoutMs;
}

TavrelUsbDev::~TavrelUsbDev() {
    {
        std::lock_guard lock(lock_);
        if (HidClose(&channel_) == HID_SUCCESS)
            connected_ = 0;
    }
    if (notifyWindow_)
        HidUnregisterNotification(notifyHandle_);
}

void TavrelUsbDev::SetDeviceTable(fw::Window* window, UsbDeviceEntry* table, unsigned count) {
    notifyWindow_ = window;
    table_ = table;
    count_ = count;
    for (DeviceSerial& serial : serials_)
        serial = DeviceSerial{};
    HidChannelInit(&channel_);
    if (window)
        HidRegisterNotification(window, &notifyHandle_);
}

int TavrelUsbDev::Scan() {
    HidResetAccessDenied();
    const HidInterfaceList interfaces = HidListInterfaces();
    int present = 0;
    for (unsigned i = 0; i < count_; ++i) {
        // Every entry writes the same list: it ends up with the last entry's identities.
        table_[i].present =
            HidCollectSerials(interfaces, table_[i].vendorId, table_[i].productId, serials_) != 0
                ? 1
                : 0;
        present += table_[i].present;
    }
    permissionDenied_ = HidMetAccessDenied();
    return present;
}

int TavrelUsbDev::Open(unsigned index) {
    unsigned picked = index;
    for (unsigned i = index; i < count_; ++i) {
        if (table_[i].present) {
            picked = i;
            break;
        }
    }
    std::lock_guard lock(lock_);
    HidResetAccessDenied();
    if (picked >= count_) {
        connected_ = 0;
    } else {
        const UsbDeviceEntry& entry = table_[picked];
        const HidInterfaceList list = HidListInterfaces();
        const unsigned interfaces = HidCountInterfaces(list, entry.vendorId, entry.productId, 1);
        // The serial list has six records; entries beyond it have no identity to ask for.
        static const DeviceSerial none;
        const DeviceSerial& wanted = picked < kHidSerialRecords ? serials_[picked] : none;
        const HidResult result =
            HidOpen(&channel_, list, entry.vendorId, entry.productId, wanted.text, interfaces);
        connected_ = (result == HID_SUCCESS || result == HID_ALREADY_OPEN) ? 1 : 0;
        if (result == HID_SUCCESS)
            channelLost_ = false;
    }
    permissionDenied_ = HidMetAccessDenied();
    return connected_;
}

int TavrelUsbDev::IsOpen() {
    return connected_;
}

int TavrelUsbDev::Read(void* buffer, unsigned length) {
    return ReadUntil(buffer, length, nullptr);
}

int TavrelUsbDev::ReadUntil(void* buffer, unsigned length, ReadComplete complete) {
    std::lock_guard lock(lock_);
    if (!connected_)
        return 0;
    unsigned delivered = 0;
    const HidResult result = HidReadUntil(&channel_, buffer, length, &delivered, complete);
    if (ChannelFailed(result, false)) {
        DropFailedChannel();
        return 0;
    }
    // Whatever the reports carried beyond this read is not for the next one.
    if (ChannelFailed(HidFlush(&channel_), false)) {
        DropFailedChannel();
        return 0;
    }
    return result == HID_SUCCESS ? static_cast<int>(delivered) : 0;
}

int TavrelUsbDev::Write(const void* data, unsigned length) {
    std::lock_guard lock(lock_);
    if (!connected_) {
        lastWriteFailed_ = true;
        return 1;
    }
    // Stale input goes before the request leaves, so that nothing can empty the queue between
    // the request and its answer.
    HidResult result = HidFlush(&channel_);
    if (!ChannelFailed(result, false))
        result = HidWrite(&channel_, data, static_cast<std::uint16_t>(length));
    lastWriteFailed_ = result != HID_SUCCESS;
    if (ChannelFailed(result, true))
        DropFailedChannel();
    return result == HID_SUCCESS ? 1 : 0;
}

void TavrelUsbDev::DropFailedChannel() {
    if (!connected_)
        return;
    HidClose(&channel_);
    connected_ = 0;
    channelLost_ = true;
    // Posted, not sent: the owner reacts once the operation that met the failure has ended.
    if (notifyWindow_)
        fw::PostMessage(notifyWindow_, WM_COMM_LOST, 0, 0);
}

void TavrelUsbDev::Close() {
    std::lock_guard lock(lock_);
    if (HidClose(&channel_) == HID_SUCCESS)
        connected_ = 0;
}
