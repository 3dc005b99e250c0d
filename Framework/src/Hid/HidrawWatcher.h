#pragma once

#include "EventFd.h"
#include "Framework/Hid/HidWatcher.h"

#include <map>
#include <memory>
#include <string>
#include <thread>

struct udev;
struct udev_monitor;

namespace fw {

class HidrawBackend;

// libudev monitor of subsystem hidraw on a thread of its own.
class HidrawWatcher : public HidWatcher {
public:
    // Null when no monitor can be made (no netlink in a container, for one).
    static std::unique_ptr<HidrawWatcher> Start(HidrawBackend& backend, Callback callback);
    ~HidrawWatcher() override;

private:
    HidrawWatcher(HidrawBackend& backend, Callback callback, udev* context, udev_monitor* monitor);
    void Run();
    void Handle(const std::string& action, const std::string& node);

    HidrawBackend& backend_;
    Callback callback_;
    udev* context_;
    udev_monitor* monitor_;
    EventFd stop_;
    // Paths of the nodes we know, so that a removal (whose sysfs is gone) names its interface.
    std::map<std::string, std::wstring> paths_;
    std::thread thread_;
};

} // namespace fw
