#include "Framework/Hid/RecordingHidBackend.h"

#include "Framework/Hid/HidPathName.h"

#include <algorithm>
#include <cstring>

namespace fw {

class RecordingHidBackend::Connection : public HidConnection {
public:
    Connection(std::weak_ptr<RecordingHidBackend> backend, std::size_t index, HidShare share)
        : backend_(std::move(backend)), index_(index), share_(share) {}
    ~Connection() override {
        if (auto backend = backend_.lock())
            backend->Closed(index_, share_);
    }

    HidError Read(void* buffer, std::size_t size, unsigned timeoutMs,
                  std::size_t* received) override {
        *received = 0;
        auto backend = backend_.lock();
        return backend ? backend->ReadReport(index_, buffer, size, timeoutMs, received)
                       : HidError::Io;
    }
    HidError Write(const void* report, std::size_t size, unsigned timeoutMs) override {
        auto backend = backend_.lock();
        return backend ? backend->WriteReport(index_, report, size, timeoutMs) : HidError::Io;
    }
    void Cancel() override {}
    HidError Flush() override {
        auto backend = backend_.lock();
        return backend ? backend->FlushInput(index_) : HidError::Io;
    }

private:
    std::weak_ptr<RecordingHidBackend> backend_;
    std::size_t index_;
    HidShare share_;
};

class RecordingHidBackend::Watcher : public HidWatcher {
public:
    Watcher(RecordingHidBackend& backend, Callback callback)
        : backend_(backend), callback_(std::move(callback)) {}
    ~Watcher() override { backend_.RemoveWatcher(this); }

    void Report(HidDeviceEvent event, const std::wstring& path) { callback_(event, path); }

private:
    RecordingHidBackend& backend_;
    Callback callback_;
};

std::size_t RecordingHidBackend::Add(HidInterfaceInfo info) {
    std::lock_guard lock(mutex_);
    if (info.node.empty())
        info.node = "fake" + std::to_string(entries_.size());
    Entry entry;
    entry.info = std::move(info);
    entries_.push_back(std::move(entry));
    return entries_.size() - 1;
}

std::size_t RecordingHidBackend::Add(std::uint16_t vendorId, std::uint16_t productId,
                                     std::wstring serial, int interfaceNumber,
                                     std::uint16_t reportLength) {
    HidInterfaceInfo info;
    info.vendorId = vendorId;
    info.productId = productId;
    info.serial = std::move(serial);
    info.interfaceNumber = interfaceNumber;
    info.inputReportLength = reportLength;
    info.outputReportLength = reportLength;
    {
        std::lock_guard lock(mutex_);
        info.path = HidInterfacePath(vendorId, productId, interfaceNumber,
                                     "fake&" + std::to_string(entries_.size()));
    }
    return Add(std::move(info));
}

void RecordingHidBackend::SetPresent(std::size_t index, bool present) {
    std::lock_guard lock(mutex_);
    entries_.at(index).present = present;
}

void RecordingHidBackend::SetAccessDenied(std::size_t index, bool denied) {
    std::lock_guard lock(mutex_);
    entries_.at(index).accessDenied = denied;
}

void RecordingHidBackend::HoldExclusive(std::size_t index) {
    std::lock_guard lock(mutex_);
    entries_.at(index).heldExclusive = true;
}

void RecordingHidBackend::HoldShared(std::size_t index) {
    std::lock_guard lock(mutex_);
    ++entries_.at(index).heldShared;
}

void RecordingHidBackend::Release(std::size_t index) {
    std::lock_guard lock(mutex_);
    entries_.at(index).heldExclusive = false;
    entries_.at(index).heldShared = 0;
}

void RecordingHidBackend::QueueInput(std::size_t index, Report report) {
    std::lock_guard lock(mutex_);
    if (!report.empty())
        entries_.at(index).input.push_back(std::move(report));
}

void RecordingHidBackend::QueueTimeout(std::size_t index) {
    std::lock_guard lock(mutex_);
    entries_.at(index).input.push_back({});
}

void RecordingHidBackend::SetResponder(std::size_t index, Responder responder) {
    std::lock_guard lock(mutex_);
    entries_.at(index).responder = std::move(responder);
}

void RecordingHidBackend::FailWrites(std::size_t index, HidError error) {
    std::lock_guard lock(mutex_);
    entries_.at(index).writeError = error;
}

std::vector<RecordingHidBackend::Report> RecordingHidBackend::Written(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return entries_.at(index).written;
}

std::size_t RecordingHidBackend::PendingInput(std::size_t index) const {
    std::lock_guard lock(mutex_);
    const Entry& entry = entries_.at(index);
    return static_cast<std::size_t>(std::count_if(entry.input.begin(), entry.input.end(),
                                                  [](const Report& r) { return !r.empty(); }));
}

std::size_t RecordingHidBackend::Flushes(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return entries_.at(index).flushes;
}

std::size_t RecordingHidBackend::OpenConnections(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(entries_.at(index).openExclusive +
                                    entries_.at(index).openShared);
}

std::vector<RecordingHidBackend::OpenAttempt> RecordingHidBackend::OpenAttempts() const {
    std::lock_guard lock(mutex_);
    return attempts_;
}

std::vector<RecordingHidBackend::Operation>
RecordingHidBackend::Operations(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return entries_.at(index).operations;
}

std::size_t RecordingHidBackend::Enumerations() const {
    std::lock_guard lock(mutex_);
    return enumerations_;
}

unsigned RecordingHidBackend::LastReadTimeout() const {
    std::lock_guard lock(mutex_);
    return lastReadTimeout_;
}

unsigned RecordingHidBackend::LastWriteTimeout() const {
    std::lock_guard lock(mutex_);
    return lastWriteTimeout_;
}

const HidInterfaceInfo& RecordingHidBackend::Info(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return entries_.at(index).info;
}

void RecordingHidBackend::Announce(HidDeviceEvent event, std::size_t index) {
    const std::wstring path = Info(index).path;
    // Held while reporting, so that a watcher being destroyed waits for the report to end.
    std::lock_guard lock(watchMutex_);
    for (Watcher* watcher : watchers_)
        watcher->Report(event, path);
}

std::vector<HidInterfaceInfo> RecordingHidBackend::Enumerate() {
    std::lock_guard lock(mutex_);
    ++enumerations_;
    std::vector<HidInterfaceInfo> present;
    for (const Entry& entry : entries_) {
        if (entry.present)
            present.push_back(entry.info);
    }
    return present;
}

std::unique_ptr<HidConnection> RecordingHidBackend::Open(const HidInterfaceInfo& info,
                                                         HidShare share, HidError* error) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.info.node == info.node; });
    const std::size_t index = static_cast<std::size_t>(it - entries_.begin());
    HidError result = HidError::None;
    if (it == entries_.end() || !it->present)
        result = HidError::NotFound;
    else if (it->accessDenied)
        result = HidError::AccessDenied;
    else if (it->heldExclusive || it->openExclusive > 0 ||
             (share == HidShare::Exclusive && (it->heldShared > 0 || it->openShared > 0)))
        result = HidError::SharingViolation;
    attempts_.push_back({index, share, result});
    *error = result;
    if (result != HidError::None)
        return nullptr;
    ++(share == HidShare::Exclusive ? it->openExclusive : it->openShared);
    return std::make_unique<Connection>(weak_from_this(), index, share);
}

std::unique_ptr<HidWatcher> RecordingHidBackend::Watch(HidWatcher::Callback callback) {
    auto watcher = std::make_unique<Watcher>(*this, std::move(callback));
    std::lock_guard lock(watchMutex_);
    watchers_.push_back(watcher.get());
    return watcher;
}

HidError RecordingHidBackend::ReadReport(std::size_t index, void* buffer, std::size_t size,
                                         unsigned timeoutMs, std::size_t* received) {
    std::lock_guard lock(mutex_);
    lastReadTimeout_ = timeoutMs;
    *received = 0;
    Entry& entry = entries_.at(index);
    if (!entry.present)
        return HidError::Io;
    Report report;
    if (!entry.input.empty()) {
        report = std::move(entry.input.front());
        entry.input.pop_front();
    }
    entry.operations.push_back({Operation::Read, report});
    if (report.empty())
        return HidError::Timeout;
    *received = std::min(size, report.size());
    std::memcpy(buffer, report.data(), *received);
    return HidError::None;
}

HidError RecordingHidBackend::WriteReport(std::size_t index, const void* report, std::size_t size,
                                          unsigned timeoutMs) {
    Responder responder;
    Report written(static_cast<const std::uint8_t*>(report),
                   static_cast<const std::uint8_t*>(report) + size);
    {
        std::lock_guard lock(mutex_);
        lastWriteTimeout_ = timeoutMs;
        Entry& entry = entries_.at(index);
        if (!entry.present)
            return HidError::Io;
        if (entry.writeError != HidError::None)
            return entry.writeError;
        entry.written.push_back(written);
        entry.operations.push_back({Operation::Write, written});
        responder = entry.responder;
    }
    if (!responder)
        return HidError::None;
    // Outside the lock: a responder may look at what was written so far.
    std::vector<Report> answers = responder(written);
    std::lock_guard lock(mutex_);
    for (Report& answer : answers) {
        if (!answer.empty())
            entries_.at(index).input.push_back(std::move(answer));
    }
    return HidError::None;
}

HidError RecordingHidBackend::FlushInput(std::size_t index) {
    std::lock_guard lock(mutex_);
    Entry& entry = entries_.at(index);
    ++entry.flushes;
    if (!entry.present)
        return HidError::Io;
    entry.operations.push_back({Operation::Flush, {}});
    entry.input.clear();
    return HidError::None;
}

void RecordingHidBackend::Closed(std::size_t index, HidShare share) {
    std::lock_guard lock(mutex_);
    --(share == HidShare::Exclusive ? entries_.at(index).openExclusive
                                    : entries_.at(index).openShared);
}

void RecordingHidBackend::RemoveWatcher(Watcher* watcher) {
    std::lock_guard lock(watchMutex_);
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

} // namespace fw
