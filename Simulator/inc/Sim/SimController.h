#pragma once

#include "Sim/SimConfig.h"
#include "Sim/SimFrame.h"
#include "Sim/SimRecords.h"
#include "Sim/SimState.h"
#include "Sim/TraceEvent.h"

#include <cstdint>
#include <vector>

namespace sim {

// Command codes and query selectors the controller understands.
enum : std::uint8_t {
    CmdQuery = 0x01,
    CmdEnterUpgradeMode = 0x02,
    CmdSetColor = 0x04,
    CmdSetEnable = 0x05,
    CmdSetElements = 0x06,
    CmdSetEffect = 0x08,
    CmdBeginUpgrade = 0xFC,
    CmdUpgradeBlock = 0xFD,
    CmdLeaveUpgradeMode = 0xFE,
    CmdRestoreDefaults = 0xFF,
};
enum : std::uint8_t {
    QueryLayoutHeader = 0x00,
    QueryVersionLength = 0x01,
    QueryLayoutBody = 0x10,
    QueryVersionText = 0x11,
};

// What the controller sends back: a frame (cmd, payload) or raw bytes outside any frame.
struct SimReply {
    bool raw = false;
    std::uint8_t cmd = 0;
    std::vector<std::uint8_t> data;
};

// The result of one frame: replies for the sender, events for the trace, and what the
// device must do afterwards.
struct SimOutcome {
    enum class After { None, EnterLoader, LeaveLoader, UnplugWhenIdle };
    std::vector<SimReply> replies;
    std::vector<TraceEvent> events;
    After after = After::None;
};

// One controller's firmware, without any I/O: tables, version, loader and its transfer.
class SimController {
public:
    explicit SimController(const SimConfig& config);

    SimOutcome HandleFrame(const SimFrame& frame);

    // Factory tables (also what CmdRestoreDefaults brings back).
    void RestoreDefaults();
    // The restart into the loader: a fresh transfer.
    void EnterLoader();
    // The restart out of the loader. Returns true when a transfer was begun, so that the
    // received image is now the one running (its bytes in Flashed()).
    bool LeaveLoader();

    SimMode Mode() const { return mode_; }
    const std::vector<std::uint8_t>& Flashed() const { return flashed_; }
    // Fills the controller's part of a snapshot.
    void Snapshot(SimState& state) const;

    std::vector<std::uint8_t> LayoutHeader() const;
    std::vector<std::uint8_t> LayoutBody() const;

private:
    void HandleApp(const SimFrame& frame, SimOutcome& out);
    void HandleLoader(const SimFrame& frame, SimOutcome& out);
    void HandleQuery(std::uint8_t selector, SimOutcome& out) const;
    void HandleBlock(const std::vector<std::uint8_t>& payload, SimOutcome& out);

    const SimConfig& config_;
    SimMode mode_ = SimMode::App;
    std::string version_;
    std::vector<LedRecord> leds_[2];
    std::vector<HandleRecord> handles_[2];

    bool upgradeBegun_ = false;
    int blockIndex_ = 0;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint8_t> flashed_;
    int flashCount_ = 0;
};

} // namespace sim
