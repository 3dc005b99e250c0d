#include "FdHidConnection.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fw {

namespace {

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Bounds a drain, so that a device streaming reports can't keep a flush going forever.
constexpr int kMaxFlushReports = 256;

} // namespace

HidError LockForShare(int fd, HidShare share) {
    const int operation = (share == HidShare::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    while (flock(fd, operation) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EWOULDBLOCK ? HidError::SharingViolation : HidError::Io;
    }
    return HidError::None;
}

HidError OpenErrorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return HidError::AccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case ECONNREFUSED:
        return HidError::NotFound;
    case EBUSY:
        return HidError::SharingViolation;
    default:
        return HidError::Io;
    }
}

FdHidConnection::FdHidConnection(int fd, int lockFd, Kind kind)
    : fd_(fd), lockFd_(lockFd), kind_(kind) {}

FdHidConnection::~FdHidConnection() {
    if (lockFd_ >= 0 && lockFd_ != fd_)
        close(lockFd_);
    close(fd_);
}

FdHidConnection::Wait FdHidConnection::WaitFor(short events, long long deadlineMs) {
    for (;;) {
        const long long left = deadlineMs - NowMs();
        pollfd fds[2] = {{fd_, events, 0}, {cancel_.Fd(), POLLIN, 0}};
        const int n = poll(fds, 2, left > 0 ? static_cast<int>(left) : 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Wait::Failed;
        }
        if (fds[1].revents & POLLIN) {
            cancel_.Clear();
            return Wait::Cancelled;
        }
        if (n == 0)
            return Wait::Timeout;
        if (fds[0].revents & events)
            return Wait::Ready;
        return Wait::Failed; // POLLERR, POLLHUP or POLLNVAL without data: the device is gone
    }
}

long FdHidConnection::Receive(void* buffer, std::size_t size) {
    if (kind_ == Kind::Socket)
        return recv(fd_, buffer, size, MSG_DONTWAIT);
    return read(fd_, buffer, size);
}

HidError FdHidConnection::Read(void* buffer, std::size_t size, unsigned timeoutMs,
                               std::size_t* received) {
    *received = 0;
    const long long deadline = NowMs() + timeoutMs;
    cancel_.Clear(); // a Cancel that found nothing waiting must not end this read
    ++waiting_;
    HidError result = HidError::Io;
    for (;;) {
        const Wait wait = WaitFor(POLLIN, deadline);
        if (wait != Wait::Ready) {
            result = wait == Wait::Timeout     ? HidError::Timeout
                     : wait == Wait::Cancelled ? HidError::Cancelled
                                               : HidError::Io;
            break;
        }
        const long n = Receive(buffer, size);
        if (n > 0) {
            *received = static_cast<std::size_t>(n);
            result = HidError::None;
            break;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;          // woken for nothing: wait again within the same deadline
        result = HidError::Io; // end of file or a failed read: the interface is gone
        break;
    }
    --waiting_;
    return result;
}

HidError FdHidConnection::Write(const void* report, std::size_t size, unsigned timeoutMs) {
    const long long deadline = NowMs() + timeoutMs;
    cancel_.Clear();
    ++waiting_;
    HidError result = HidError::Io;
    for (;;) {
        const Wait wait = WaitFor(POLLOUT, deadline);
        if (wait != Wait::Ready) {
            result = wait == Wait::Timeout     ? HidError::Timeout
                     : wait == Wait::Cancelled ? HidError::Cancelled
                                               : HidError::Io;
            break;
        }
        const long n = kind_ == Kind::Socket ? send(fd_, report, size, MSG_DONTWAIT | MSG_NOSIGNAL)
                                             : write(fd_, report, size);
        if (n == static_cast<long>(size)) {
            result = HidError::None;
            break;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        result = HidError::Io;
        break;
    }
    --waiting_;
    return result;
}

void FdHidConnection::Cancel() {
    if (waiting_.load() > 0)
        cancel_.Raise();
}

HidError FdHidConnection::Flush() {
    unsigned char scratch[8192];
    for (int i = 0; i < kMaxFlushReports; ++i) {
        pollfd fd = {fd_, POLLIN, 0};
        if (poll(&fd, 1, 0) <= 0 || !(fd.revents & POLLIN))
            return HidError::None;
        const long n = Receive(scratch, sizeof scratch);
        if (n > 0)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return HidError::None;
        // A regular file standing in for a node has simply been read to its end.
        return n == 0 && kind_ == Kind::Node ? HidError::None : HidError::Io;
    }
    return HidError::None;
}

} // namespace fw
