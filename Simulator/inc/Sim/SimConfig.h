#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Everything glimra-sim can be told on its command line; the in-process simulator takes the same.
struct SimConfig {
    // Runtime folder; empty = $GLIMRA_SIM_DIR, else $XDG_RUNTIME_DIR/glimra-sim, else
    // /tmp/glimra-sim-<uid>.
    std::string dir;
    // Stems are "<stemPrefix>-<device>-<interface>"; empty = "sim-<pid>" (with an instance
    // suffix for the second and later simulators of one process).
    std::string stemPrefix;

    // Identity.
    std::uint16_t vendor = 0x04D9;
    std::uint16_t product = 0x8008;
    int inputReportLength = 64;
    int outputReportLength = 64;
    int count = 1;      // controllers
    int interfaces = 1; // interfaces per controller; more than 1 makes a composite device
    // Serial numbers: none = empty; one = every controller; several = one per controller
    // (controllers beyond the list get an empty serial).
    std::vector<std::string> serials;

    // Factory state.
    int leds = 16;
    int handles = 8;
    bool secondSet = false;
    std::string version = "1.0.2";

    // Timing.
    int rebootMs = 1500;
    int reportIntervalUs = 1000; // 0 = no pacing
    int replyDelayMs = 0;

    // Faults.
    int rejectBlock = -1; // 0-based block index, -1 = none
    bool noReply = false;
    int strayBytes = 0;
    bool splitReplies = false;
    bool badEndMark = false;
    bool oversizedCount = false;
    int layoutLedSize = 5;
    int layoutHandleSize = 11;
    int unplugAfterBlock = -1;
    bool neverReturn = false;
    bool holdExclusive = false;

    // Firmware.
    std::string flashOut;                      // file that receives each flashed image
    std::optional<std::string> flashedVersion; // version reported after a flash

    std::string traceFile; // JSON Lines; empty = in-memory trace only

    // The serial of controller `device` after the rules above.
    std::string SerialFor(int device) const;
    // Empty when the configuration can be run, else what is wrong with it.
    std::string Validate() const;
};

} // namespace sim
