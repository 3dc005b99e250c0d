#include "Sim/SimInterface.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace sim {

namespace {

bool WriteWhole(const std::string& path, const std::string& text, std::string& error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return true;
}

} // namespace

SimInterface::SimInterface(std::string dir, std::string stem, SimDescriptor descriptor,
                           bool holdExclusive)
    : dir_(std::move(dir)), stem_(std::move(stem)), descriptor_(std::move(descriptor)),
      holdExclusive_(holdExclusive) {}

SimInterface::~SimInterface() {
    Remove();
}

bool SimInterface::Create(std::string& error) {
    if (Present())
        return true;
    const std::string desc = Path(".desc");
    const std::string temp = Path(".desc.tmp");
    const std::string lock = Path(".lock");
    const std::string sock = Path(".sock");

    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (sock.size() >= sizeof addr.sun_path) {
        error = "socket path too long: " + sock;
        return false;
    }
    std::memcpy(addr.sun_path, sock.c_str(), sock.size() + 1);

    if (!WriteWhole(temp, descriptor_.Text(), error))
        return false;
    if (::rename(temp.c_str(), desc.c_str()) != 0) {
        error = "cannot rename " + temp + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    created_ = true;
    lockFd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        error = "cannot create " + lock + ": " + std::strerror(errno);
        Remove();
        return false;
    }
    if (holdExclusive_ && ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error = "cannot hold " + lock + " exclusively: " + std::strerror(errno);
        Remove();
        return false;
    }

    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot make a socket: ") + std::strerror(errno);
        Remove();
        return false;
    }
    ::unlink(sock.c_str()); // a leftover of a run that did not end cleanly
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        error = "cannot listen on " + sock + ": " + std::strerror(errno);
        ::close(fd);
        Remove();
        return false;
    }
    listenFd_ = fd;
    return true;
}

void SimInterface::Remove() {
    if (listenFd_ >= 0) {
        ::unlink(Path(".sock").c_str());
        ::close(listenFd_);
        listenFd_ = -1;
    }
    connections_.clear();
    if (created_) {
        ::unlink(Path(".desc").c_str());
        ::unlink(Path(".lock").c_str());
        created_ = false;
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

void SimInterface::AcceptPending() {
    if (listenFd_ < 0)
        return;
    for (;;) {
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: nobody else waiting; anything else: try again on the next wake
        }
        connections_.push_back(std::make_unique<SimConnection>(fd));
    }
}

void SimInterface::Drop(SimConnection* connection) {
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [&](const auto& c) { return c.get() == connection; }),
                       connections_.end());
}

} // namespace sim
