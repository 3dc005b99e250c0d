#pragma once

#include "Framework/Hid/HidBackend.h"

#include <optional>
#include <string>

namespace fw {

// Real hardware through the kernel's hidraw nodes.
//
// Enumeration reads <sysRoot>/class/hidraw/<node>: device/uevent (HID_ID, HID_UNIQ),
// device/report_descriptor, and when the HID device sits on a USB interface, that interface's
// bInterfaceNumber and its device's bNumInterfaces (more than one makes it composite). The node
// opened is <devRoot>/<node>; exclusivity is flock() on it, a lock held by another opener being
// the sharing violation. A fake tree for tests may use directories and symlinks as sysfs does
// and any openable file for a node: a FIFO acts as a loopback device (reports written come
// back as input), a regular file is enough for enumeration, locking and permissions.
class HidrawBackend : public HidBackend {
public:
    HidrawBackend(std::string sysRoot, std::string devRoot);
    // GLIMRA_SYSFS_ROOT and GLIMRA_DEV_ROOT when set, else /sys and /dev.
    static HidrawBackend FromEnvironment();

    std::vector<HidInterfaceInfo> Enumerate() override;
    std::unique_ptr<HidConnection> Open(const HidInterfaceInfo& info, HidShare share,
                                        HidError* error) override;
    // A libudev monitor of subsystem hidraw; only on the real /sys, whose events it reports.
    std::unique_ptr<HidWatcher> Watch(HidWatcher::Callback callback) override;

    // The interface behind one node name ("hidraw3"), none when sysfs doesn't describe it.
    std::optional<HidInterfaceInfo> Describe(const std::string& nodeName) const;

    const std::string& SysRoot() const { return sysRoot_; }

private:
    std::string sysRoot_;
    std::string devRoot_;
};

} // namespace fw
