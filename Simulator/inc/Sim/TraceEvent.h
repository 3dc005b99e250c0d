#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// One line of the wire trace. Which fields mean something depends on the event:
// "frame"/"reply": cmd, payload; "mode": mode; "block": index, size, crcOk;
// "flash-complete": size; "plug"/"unplug": none.
struct TraceEvent {
    double tMs = 0;
    std::string event;
    int device = 0;
    int cmd = -1;
    std::vector<std::uint8_t> payload;
    std::string mode;
    int index = -1;
    int size = -1;
    bool crcOk = false;

    // One JSON object without the newline; "device" only when asked (several controllers).
    std::string ToJson(bool withDevice) const;
};

} // namespace sim
