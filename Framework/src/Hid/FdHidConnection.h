#pragma once

#include "EventFd.h"
#include "Framework/Hid/HidConnection.h"

#include <atomic>

namespace fw {

// An interface reached through a file descriptor that yields one report per read: a hidraw
// node or a SOCK_SEQPACKET socket. Waits are poll() bounded by the caller's time-outs.
class FdHidConnection : public HidConnection {
public:
    enum class Kind { Node, Socket };

    // Takes ownership of fd and of lockFd (the descriptor holding our flock, may equal fd or
    // be -1).
    FdHidConnection(int fd, int lockFd, Kind kind);
    ~FdHidConnection() override;

    HidError Read(void* buffer, std::size_t size, unsigned timeoutMs,
                  std::size_t* received) override;
    HidError Write(const void* report, std::size_t size, unsigned timeoutMs) override;
    void Cancel() override;
    HidError Flush() override;

private:
    enum class Wait { Ready, Timeout, Cancelled, Failed };
    Wait WaitFor(short events, long long deadlineMs);
    long Receive(void* buffer, std::size_t size);

    int fd_;
    int lockFd_;
    Kind kind_;
    EventFd cancel_;
    std::atomic<int> waiting_{0};
};

// Takes the advisory lock that stands for the platform's share mode; false with
// SharingViolation when another opener's lock is in the way.
HidError LockForShare(int fd, HidShare share);

// Maps an errno of open() or connect() to our reasons.
HidError OpenErrorFromErrno(int error);

} // namespace fw
