#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace fw {

class HidBackend;

// An open HID interface, like a file handle: never 0 and never kInvalidHidHandle while open.
using HidHandle = std::intptr_t;
inline constexpr HidHandle kInvalidHidHandle = -1;

// Why a HID call failed. AccessDenied (the node exists but we may not open it) is kept apart
// from NotFound so that callers can tell the user to fix permissions.
enum class HidError {
    None = 0,
    NotFound,
    AccessDenied,
    SharingViolation,
    InvalidHandle,
    Timeout,
    Cancelled,
    Io,
};

enum class HidShare {
    Exclusive, // nobody else may have the interface open
    Shared,    // others may too, unless one of them holds it exclusively
};

// One HID interface as every backend reports it.
struct HidInterfaceInfo {
    // \\?\hid#vid_xxxx&pid_xxxx[&mi_nn]#<instance>#{hid class id}, lower case
    std::wstring path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::wstring serial;
    int interfaceNumber = -1; // USB interface number when the device is composite, else -1
    std::uint16_t inputReportLength = 0;  // bytes, report id byte included
    std::uint16_t outputReportLength = 0; // bytes, report id byte included
    std::string node;                     // backend's own locator (device node, socket)
    // The backend that listed it, set by HidEnumerateInterfaces: such an interface opens
    // without another listing.
    std::weak_ptr<HidBackend> backend;
};

enum class HidDeviceEvent { Arrival, Removal };

} // namespace fw
