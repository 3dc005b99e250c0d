#include "EventFd.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace fw {

EventFd::EventFd() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

EventFd::~EventFd() {
    if (fd_ >= 0)
        close(fd_);
}

void EventFd::Raise() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(fd_, &one, sizeof one);
}

void EventFd::Clear() {
    std::uint64_t value;
    [[maybe_unused]] ssize_t n = read(fd_, &value, sizeof value);
}

} // namespace fw
