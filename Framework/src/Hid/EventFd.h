#pragma once

namespace fw {

// A wake-up another thread can raise: readable in poll() once Raise() has been called, until
// Clear(). Used to stop watcher threads and to cancel a waiting read or write.
class EventFd {
public:
    EventFd();
    ~EventFd();
    EventFd(const EventFd&) = delete;
    EventFd& operator=(const EventFd&) = delete;

    int Fd() const { return fd_; }
    void Raise();
    void Clear();

private:
    int fd_;
};

} // namespace fw
