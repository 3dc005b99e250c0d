#pragma once

#include <cstdint>
#include <string>

// Vendor and product id from a HID interface name as the arrival and removal broadcasts carry
// it ("...VID_04D9&PID_8008..."). The markers are matched case-sensitively; the four characters
// after each are read as hexadecimal up to the first other character, either case of digit.
// Without a marker the first three characters are skipped instead, as if one were there.
struct DeviceInterfaceIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;

    static DeviceInterfaceIds FromName(const std::wstring& name);
};
