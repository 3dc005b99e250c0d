#pragma once

#include <cstdint>

namespace sim {

// One LED of the controller's table: colour, sequence number, on.
struct LedRecord {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t sequence = 0;
    std::uint8_t on = 0;

    bool operator==(const LedRecord&) const = default;
};

// One effect handle: what it shows, how, and which LEDs (bit i = LED i) it drives.
struct HandleRecord {
    std::uint8_t mode = 0;
    std::uint8_t referenceMode = 0;
    std::uint8_t referenceHandle = 0xFF;
    std::uint16_t speed = 0;
    std::uint16_t period = 0;
    std::uint8_t direction = 1;
    std::uint16_t elementMask = 0;
    std::uint8_t enable = 0;

    bool operator==(const HandleRecord&) const = default;
};

} // namespace sim
