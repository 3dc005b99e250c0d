#pragma once

#include "Framework/Hid/HidBackend.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace fw {

// A backend for byte-exact tests: interfaces made up by the test, output reports recorded,
// input reports preloaded or produced in answer to a write, time-outs simulated without
// waiting, other openers and missing permissions played by the test. Held by shared_ptr, as
// HidSetBackends holds it; a handle left open after the fake is gone fails its I/O.
class RecordingHidBackend : public HidBackend,
                            public std::enable_shared_from_this<RecordingHidBackend> {
public:
    using Report = std::vector<std::uint8_t>;
    // Input reports in answer to a write. They arrive the moment the write completes, as a
    // quick device's answer may: readable by the next read, and lost to any flush before it.
    using Responder = std::function<std::vector<Report>(const Report& written)>;

    // What happened on one interface's connections, in order.
    struct Operation {
        enum Kind { Write, Read, Flush } kind;
        Report report; // the report written or read; empty for a flush or a read timing out
    };

    struct OpenAttempt {
        std::size_t index;
        HidShare share;
        HidError result;
    };

    // Adds an interface and returns its index (its place in the enumeration while present).
    std::size_t Add(HidInterfaceInfo info);
    // A simple interface of vendor:product, its path made from the ids and an instance.
    std::size_t Add(std::uint16_t vendorId, std::uint16_t productId, std::wstring serial = L"",
                    int interfaceNumber = -1, std::uint16_t reportLength = 64);

    void SetPresent(std::size_t index, bool present); // absent: not listed, open I/O fails
    void SetAccessDenied(std::size_t index, bool denied);
    // Another program holding the interface open; Release ends both holds.
    void HoldExclusive(std::size_t index);
    void HoldShared(std::size_t index);
    void Release(std::size_t index);

    void QueueInput(std::size_t index, Report report);
    // The next read that finds no report waiting times out; until then reads with nothing
    // waiting time out too, so this only marks a time-out between preloaded reports.
    void QueueTimeout(std::size_t index);
    void SetResponder(std::size_t index, Responder responder);
    void FailWrites(std::size_t index, HidError error); // HidError::None to stop failing

    std::vector<Report> Written(std::size_t index) const;
    std::size_t PendingInput(std::size_t index) const;
    std::size_t Flushes(std::size_t index) const;
    std::vector<Operation> Operations(std::size_t index) const;
    std::size_t OpenConnections(std::size_t index) const;
    std::vector<OpenAttempt> OpenAttempts() const;
    std::size_t Enumerations() const; // calls of Enumerate so far
    unsigned LastReadTimeout() const;
    unsigned LastWriteTimeout() const;
    const HidInterfaceInfo& Info(std::size_t index) const;

    // Reports the change to every watcher, on the calling thread.
    void Announce(HidDeviceEvent event, std::size_t index);

    std::vector<HidInterfaceInfo> Enumerate() override;
    std::unique_ptr<HidConnection> Open(const HidInterfaceInfo& info, HidShare share,
                                        HidError* error) override;
    std::unique_ptr<HidWatcher> Watch(HidWatcher::Callback callback) override;

private:
    class Connection;
    class Watcher;

    struct Entry {
        HidInterfaceInfo info;
        bool present = true;
        bool accessDenied = false;
        bool heldExclusive = false;
        int heldShared = 0;
        int openExclusive = 0;
        int openShared = 0;
        std::deque<Report> input; // arrived; an empty report marks a time-out
        std::vector<Report> written;
        std::vector<Operation> operations;
        Responder responder;
        HidError writeError = HidError::None;
        std::size_t flushes = 0;
    };

    HidError ReadReport(std::size_t index, void* buffer, std::size_t size, unsigned timeoutMs,
                        std::size_t* received);
    HidError WriteReport(std::size_t index, const void* report, std::size_t size,
                         unsigned timeoutMs);
    HidError FlushInput(std::size_t index);
    void Closed(std::size_t index, HidShare share);
    void RemoveWatcher(Watcher* watcher);

    mutable std::mutex mutex_;
    std::deque<Entry> entries_; // deque: references stay valid as entries are added
    std::vector<OpenAttempt> attempts_;
    std::size_t enumerations_ = 0;
    std::mutex watchMutex_; // held while announcing
    std::vector<Watcher*> watchers_;
    unsigned lastReadTimeout_ = 0;
    unsigned lastWriteTimeout_ = 0;
};

} // namespace fw
