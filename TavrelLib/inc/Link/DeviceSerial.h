#pragma once

// The serial-number text of one physical controller: NUL-terminated, at most 39 characters.
struct DeviceSerial {
    char text[40] = {};
};
