#include "Framework/Hid/HidrawBackend.h"

#include "FdHidConnection.h"
#include "Framework/Hid/HidPathName.h"
#include "Framework/Hid/HidReportDescriptor.h"
#include "HidrawWatcher.h"
#include "TextFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fw {

namespace {

// "0003:000004D9:00008008" gives bus, vendor and product.
bool ParseHidId(const std::string& text, std::uint16_t* vendorId, std::uint16_t* productId) {
    unsigned bus = 0, vendor = 0, product = 0;
    if (std::sscanf(text.c_str(), "%x:%x:%x", &bus, &vendor, &product) != 3)
        return false;
    *vendorId = static_cast<std::uint16_t>(vendor);
    *productId = static_cast<std::uint16_t>(product);
    return true;
}

// hidraw2 before hidraw10.
bool NodeOrder(const std::string& a, const std::string& b) {
    auto number = [](const std::string& name) {
        const std::size_t digits = name.find_first_of("0123456789");
        return digits == std::string::npos ? -1L : std::strtol(name.c_str() + digits, nullptr, 10);
    };
    const long na = number(a), nb = number(b);
    return na != nb ? na < nb : a < b;
}

} // namespace

HidrawBackend::HidrawBackend(std::string sysRoot, std::string devRoot)
    : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)) {}

HidrawBackend HidrawBackend::FromEnvironment() {
    const char* sys = std::getenv("GLIMRA_SYSFS_ROOT");
    const char* dev = std::getenv("GLIMRA_DEV_ROOT");
    return HidrawBackend(sys && *sys ? sys : "/sys", dev && *dev ? dev : "/dev");
}

std::optional<HidInterfaceInfo> HidrawBackend::Describe(const std::string& nodeName) const {
    std::error_code ec;
    const fs::path hidDevice =
        fs::canonical(fs::path(sysRoot_) / "class/hidraw" / nodeName / "device", ec);
    if (ec)
        return std::nullopt;

    const auto uevent = ReadKeyValues(hidDevice / "uevent");
    HidInterfaceInfo info;
    auto id = uevent.find("HID_ID");
    if (id == uevent.end() || !ParseHidId(id->second, &info.vendorId, &info.productId))
        return std::nullopt;
    if (auto uniq = uevent.find("HID_UNIQ"); uniq != uevent.end())
        info.serial = WideFromUtf8(uniq->second);

    // The HID device's parent is the USB interface when it sits on USB; its parent the device.
    const fs::path usbInterface = hidDevice.parent_path();
    const std::string number = ReadTrimmed(usbInterface / "bInterfaceNumber");
    const std::string interfaces = ReadTrimmed(usbInterface.parent_path() / "bNumInterfaces");
    if (!number.empty() && std::strtol(interfaces.c_str(), nullptr, 10) > 1)
        info.interfaceNumber = static_cast<int>(std::strtol(number.c_str(), nullptr, 16));

    const std::vector<std::uint8_t> descriptor = ReadBytes(hidDevice / "report_descriptor");
    const HidReportLengths lengths = ParseHidReportDescriptor(descriptor.data(), descriptor.size());
    info.inputReportLength = lengths.input;
    info.outputReportLength = lengths.output;

    info.node = (fs::path(devRoot_) / nodeName).string();
    info.path =
        HidInterfacePath(info.vendorId, info.productId, info.interfaceNumber, "raw&" + nodeName);
    return info;
}

std::vector<HidInterfaceInfo> HidrawBackend::Enumerate() {
    std::vector<std::string> nodes;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(sysRoot_) / "class/hidraw", ec))
        nodes.push_back(entry.path().filename().string());
    std::sort(nodes.begin(), nodes.end(), NodeOrder);

    std::vector<HidInterfaceInfo> found;
    for (const std::string& node : nodes) {
        if (auto info = Describe(node))
            found.push_back(std::move(*info));
    }
    return found;
}

std::unique_ptr<HidConnection> HidrawBackend::Open(const HidInterfaceInfo& info, HidShare share,
                                                   HidError* error) {
    const int fd = open(info.node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = OpenErrorFromErrno(errno);
        return nullptr;
    }
    if (const HidError locked = LockForShare(fd, share); locked != HidError::None) {
        close(fd);
        *error = locked;
        return nullptr;
    }
    *error = HidError::None;
    return std::make_unique<FdHidConnection>(fd, fd, FdHidConnection::Kind::Node);
}

std::unique_ptr<HidWatcher> HidrawBackend::Watch(HidWatcher::Callback callback) {
    // Events of the real udev name real nodes; a fake tree has nobody to announce its changes.
    if (fs::path(sysRoot_).lexically_normal() != fs::path("/sys"))
        return nullptr;
    return HidrawWatcher::Start(*this, std::move(callback));
}

} // namespace fw
