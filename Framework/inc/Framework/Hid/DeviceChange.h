#pragma once

#include <cstdint>
#include <string>

namespace fw {

// WM_DEVICECHANGE: wParam is the event, lParam points to a DevBroadcastHeader that stays
// valid for the duration of the call.
enum : unsigned {
    DBT_DEVICEARRIVAL = 0x8000,
    DBT_DEVICEREMOVECOMPLETE = 0x8004,
};

enum : std::uint32_t {
    DBT_DEVTYP_DEVICEINTERFACE = 5,
};

struct DevBroadcastHeader {
    std::uint32_t size = 0;
    std::uint32_t deviceType = 0;
    std::uint32_t reserved = 0;
};

// deviceType DBT_DEVTYP_DEVICEINTERFACE: reach it with static_cast from the header.
struct DevBroadcastDeviceInterface : DevBroadcastHeader {
    std::wstring classId;
    std::wstring name; // \\?\HID#VID_04D9&PID_8008&MI_00#...#{...}
};

} // namespace fw
