#include "Protocol/CommManager.h"

#include "Link/TavrelUsbDev.h"
#include "Link/UsbDeviceEntry.h"
#include "Protocol/TrRequestSide.h"

CommManager::CommManager() = default;

CommManager::~CommManager() {
    // The link goes first (its channel, notifications and lock), then the lock and the protocol.
    link_.reset();
}

void CommManager::CreateUsbLink(TrRequestSide* owner, UsbDeviceEntry* table, unsigned count) {
    table_ = table;
    tableCount_ = count;
    auto link = std::make_unique<TavrelUsbDev>();
    link->SetDeviceTable(owner ? owner->RequestTarget() : nullptr, table, count);
    link_ = std::move(link);
    protocol_.Attach(link_.get(), owner);
    linkKind_ = LinkUsbHid;
}

void CommManager::RefreshDevices() {
    std::lock_guard lock(lock_);
    if (linkKind_ == LinkNone)
        return;
    const int found = link_->Scan();
    deviceCount_ = found > 0 ? static_cast<unsigned>(found) : 0;
}

int CommManager::Open(int index) {
    std::lock_guard lock(lock_);
    if (linkKind_ == LinkNone)
        return 0;
    // An index equal to the count is still tried: the link looks for a present entry from
    // there. A negative one (CurrentIndex before any Open) counts as beyond the last.
    if (index < 0 || static_cast<unsigned>(index) > deviceCount_)
        return 0;
    currentIndex_ = index;
    return link_->Open(static_cast<unsigned>(index));
}

void CommManager::Close() {
    std::lock_guard lock(lock_);
    if (linkKind_ == LinkNone)
        return;
    link_->Close();
}

int CommManager::IsConnected() {
    std::lock_guard lock(lock_);
    return linkKind_ != LinkNone && link_->IsOpen() != 0 ? 1 : 0;
}

unsigned CommManager::DeviceCount() {
    std::lock_guard lock(lock_);
    return deviceCount_;
}

bool CommManager::LastWriteFailed() const {
    return link_ && link_->LastWriteFailed();
}

bool CommManager::ChannelLost() const {
    return link_ && link_->ChannelLost();
}
