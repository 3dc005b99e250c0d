#pragma once

#include "Sim/SimRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class SimMode { App, Loader };

// A snapshot of one simulated controller, taken under the simulator's lock.
struct SimState {
    bool plugged = false;
    SimMode mode = SimMode::App;
    std::string version;
    std::vector<LedRecord> leds;
    std::vector<LedRecord> secondLeds; // empty without the second set
    std::vector<HandleRecord> handles;
    std::vector<HandleRecord> secondHandles;
    // The loader's transfer: accepted block data since the last CmdBeginUpgrade, and blocks seen.
    std::vector<std::uint8_t> received;
    int blocksReceived = 0;
    // The image the controller last came back running (after CmdLeaveUpgradeMode).
    std::vector<std::uint8_t> flashed;
    int flashCount = 0;
};

} // namespace sim
