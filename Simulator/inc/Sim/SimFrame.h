#pragma once

#include <cstdint>
#include <vector>

namespace sim {

// One frame as the controller sees it: FF AA lead tag "1.0\0" cmd len(BE16) payload FF 55.
struct SimFrame {
    std::uint8_t lead = 0;
    std::uint8_t tag = 0;
    std::uint8_t version[4] = {0x31, 0x2E, 0x30, 0x00};
    std::uint8_t cmd = 0;
    std::vector<std::uint8_t> payload;

    static constexpr std::size_t kMaxPayload = 537;
    static constexpr std::size_t kOverhead = 13;

    // The frame's bytes; badEndMark ends it FF 54 (a fault the host must reject).
    static std::vector<std::uint8_t>
    Encode(std::uint8_t cmd, const std::vector<std::uint8_t>& payload, bool badEndMark = false);
};

} // namespace sim
