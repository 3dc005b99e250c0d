#include "Sim/SimFrame.h"

namespace sim {

std::vector<std::uint8_t>
SimFrame::Encode(std::uint8_t cmd, const std::vector<std::uint8_t>& payload, bool badEndMark) {
    std::vector<std::uint8_t> out;
    out.reserve(payload.size() + kOverhead);
    out.insert(out.end(), {0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30, 0x00, cmd});
    out.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(0xFF);
    out.push_back(badEndMark ? 0x54 : 0x55);
    return out;
}

} // namespace sim
