#pragma once

#include <cstdint>
#include <string>

namespace fw {

// The device-interface class id of HID in interface paths.
inline constexpr const wchar_t* kHidClassId = L"{4d1e55b2-f16f-11cf-88cb-001111000030}";

// \\?\hid#vid_04d9&pid_8008[&mi_NN]#<instance>#{hid class id}, all lower case; &mi_NN only
// for an interface of a composite device (interfaceNumber >= 0). The instance must not begin
// with 'm', which would read as an interface marker at the same place.
std::wstring HidInterfacePath(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber,
                              const std::string& instance);

// The name a device-change broadcast carries for a path: the same text with everything before
// the class id in upper case (\\?\HID#VID_04D9&PID_8008&MI_00#...).
std::wstring HidNotificationName(const std::wstring& path);

} // namespace fw
