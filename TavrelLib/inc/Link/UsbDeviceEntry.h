#pragma once

#include <cstdint>

// One kind of controller the link looks for; the table is the caller's.
struct UsbDeviceEntry {
    std::uint16_t vendorId;
    std::uint16_t productId;
    int present; // written by Scan: 1 present, 0 absent
};
