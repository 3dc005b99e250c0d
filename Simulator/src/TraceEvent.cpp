#include "Sim/TraceEvent.h"

#include <cstdio>

namespace sim {

std::string TraceEvent::ToJson(bool withDevice) const {
    char number[64];
    std::snprintf(number, sizeof number, "%.3f", tMs);
    std::string out = "{\"t_ms\":";
    out += number;
    out += ",\"event\":\"" + event + "\"";
    if (withDevice)
        out += ",\"device\":" + std::to_string(device);
    if (event == "frame" || event == "reply") {
        static const char digits[] = "0123456789abcdef";
        out += ",\"cmd\":" + std::to_string(cmd) + ",\"payload\":\"";
        for (std::uint8_t b : payload) {
            out += digits[b >> 4];
            out += digits[b & 0x0F];
        }
        out += "\"";
    } else if (event == "mode") {
        out += ",\"mode\":\"" + mode + "\"";
    } else if (event == "block") {
        out += ",\"index\":" + std::to_string(index) + ",\"size\":" + std::to_string(size) +
               ",\"crc_ok\":" + (crcOk ? "true" : "false");
    } else if (event == "flash-complete") {
        out += ",\"size\":" + std::to_string(size);
    }
    out += "}";
    return out;
}

} // namespace sim
