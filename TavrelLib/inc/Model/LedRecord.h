#pragma once

#include <cstdint>

// One LED as the controller sends it (5 bytes).
struct LedRecord {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t sequence; // shown in the record dump only
    std::uint8_t on;       // shown in the record dump only
};
static_assert(sizeof(LedRecord) == 5, "LedRecord is the controller's 5-byte record");
