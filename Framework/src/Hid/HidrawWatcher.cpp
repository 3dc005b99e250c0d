#include "HidrawWatcher.h"

#include "Framework/Hid/HidrawBackend.h"

#include <cerrno>
#include <libudev.h>
#include <poll.h>

namespace fw {

std::unique_ptr<HidrawWatcher> HidrawWatcher::Start(HidrawBackend& backend, Callback callback) {
    udev* context = udev_new();
    if (!context)
        return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::unique_ptr<HidrawWatcher>(
        new HidrawWatcher(backend, std::move(callback), context, monitor));
}

HidrawWatcher::HidrawWatcher(HidrawBackend& backend, Callback callback, udev* context,
                             udev_monitor* monitor)
    : backend_(backend), callback_(std::move(callback)), context_(context), monitor_(monitor) {
    // Known before the thread starts, so that it alone touches the map from then on.
    for (const HidInterfaceInfo& info : backend_.Enumerate())
        paths_[info.node.substr(info.node.rfind('/') + 1)] = info.path;
    thread_ = std::thread([this] { Run(); });
}

HidrawWatcher::~HidrawWatcher() {
    stop_.Raise();
    thread_.join();
    udev_monitor_unref(monitor_);
    udev_unref(context_);
}

void HidrawWatcher::Run() {
    for (;;) {
        pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {stop_.Fd(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (!device)
            continue;
        const char* action = udev_device_get_action(device);
        const char* node = udev_device_get_sysname(device);
        if (action && node)
            Handle(action, node);
        udev_device_unref(device);
    }
}

void HidrawWatcher::Handle(const std::string& action, const std::string& node) {
    if (action == "add") {
        if (auto info = backend_.Describe(node)) {
            paths_[node] = info->path;
            callback_(HidDeviceEvent::Arrival, info->path);
        }
    } else if (action == "remove") {
        auto known = paths_.find(node);
        if (known != paths_.end()) {
            const std::wstring path = known->second;
            paths_.erase(known);
            callback_(HidDeviceEvent::Removal, path);
        }
    }
}

} // namespace fw
