#pragma once

#include <cstdint>

// The HID layer's one-byte result code.
enum HidResult : std::uint8_t {
    HID_SUCCESS = 0,
    HID_NO_DEVICE = 1,    // no matching interface could be opened
    HID_NOT_OPEN = 2,     // channel not open
    HID_ALREADY_OPEN = 3, // channel already open, or the interface is held by another opener
    HID_TIMEOUT = 4,      // time-out waiting for a report
    HID_IO_ERROR = 5,
    HID_INVALID_HANDLE = 6,
    HID_FAILURE = 255,
};
