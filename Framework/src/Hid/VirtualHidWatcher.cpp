#include "VirtualHidWatcher.h"

#include "Framework/Hid/VirtualHidBackend.h"

#include <cerrno>
#include <filesystem>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr int kRetryWatchMs = 500;
// The socket file appears at bind(), a moment before listen(): wait that long at most.
constexpr int kListenChecks = 100;
constexpr int kListenCheckPauseMs = 5;

bool IsSocketName(const std::string& name, std::string* stem) {
    if (name.size() <= 5 || !name.ends_with(".sock"))
        return false;
    *stem = name.substr(0, name.size() - 5);
    return true;
}

} // namespace

std::unique_ptr<VirtualHidWatcher> VirtualHidWatcher::Start(VirtualHidBackend& backend,
                                                            Callback callback) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<VirtualHidWatcher>(
        new VirtualHidWatcher(backend, std::move(callback), fd));
}

VirtualHidWatcher::VirtualHidWatcher(VirtualHidBackend& backend, Callback callback, int inotifyFd)
    : backend_(backend), callback_(std::move(callback)), inotify_(inotifyFd) {
    AddWatch();
    thread_ = std::thread([this] { Run(); });
}

VirtualHidWatcher::~VirtualHidWatcher() {
    stop_.Raise();
    thread_.join();
    close(inotify_);
}

bool VirtualHidWatcher::AddWatch() {
    // The simulator makes the folder too; making it here lets us watch before it first runs.
    std::error_code ec;
    if (std::filesystem::create_directories(backend_.Folder(), ec))
        chmod(backend_.Folder().c_str(), 0700);
    if (!backend_.FolderUsable())
        return false;
    watch_ = inotify_add_watch(inotify_, backend_.Folder().c_str(),
                               IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (watch_ < 0)
        return false;
    // Interfaces present before we watched are known, so their removal can be named.
    for (const HidInterfaceInfo& info : backend_.Enumerate()) {
        const std::string file = std::filesystem::path(info.node).filename().string();
        paths_[file.substr(0, file.size() - 5)] = info.path;
    }
    return true;
}

void VirtualHidWatcher::Run() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{inotify_, POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        const int n = poll(fds, 2, watch_ < 0 ? kRetryWatchMs : -1);
        if (n < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        if (watch_ < 0 && !AddWatch())
            continue;
        if (n <= 0 || !(fds[0].revents & POLLIN))
            continue;

        const ssize_t length = read(inotify_, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->wd != watch_)
                continue; // left over from a watch we have dropped
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                // The folder went away: its interfaces with it; watch again once it is back.
                for (const auto& [stem, path] : paths_)
                    callback_(HidDeviceEvent::Removal, path);
                paths_.clear();
                if (watch_ >= 0)
                    inotify_rm_watch(inotify_, watch_);
                watch_ = -1;
                break;
            }
            std::string stem;
            if (event->len == 0 || !IsSocketName(event->name, &stem))
                continue;
            if (event->mask & (IN_CREATE | IN_MOVED_TO))
                SocketCreated(stem);
            else if (event->mask & (IN_DELETE | IN_MOVED_FROM))
                SocketRemoved(stem);
        }
    }
}

void VirtualHidWatcher::SocketCreated(const std::string& stem) {
    bool listening = false;
    for (int i = 0; i < kListenChecks && !listening; ++i) {
        listening = backend_.Listening(stem);
        pollfd stop = {stop_.Fd(), POLLIN, 0};
        if (!listening && poll(&stop, 1, kListenCheckPauseMs) > 0)
            return; // being stopped
    }
    auto info = backend_.Describe(stem);
    if (!listening || !info)
        return;
    paths_[stem] = info->path;
    callback_(HidDeviceEvent::Arrival, info->path);
}

void VirtualHidWatcher::SocketRemoved(const std::string& stem) {
    auto known = paths_.find(stem);
    if (known == paths_.end())
        return;
    const std::wstring path = known->second;
    paths_.erase(known);
    callback_(HidDeviceEvent::Removal, path);
}

} // namespace fw
