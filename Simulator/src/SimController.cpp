#include "Sim/SimController.h"

#include "Sim/SimCrc16.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::size_t kLedRecordSize = 5;
constexpr std::size_t kHandleRecordSize = 11;
constexpr std::size_t kMaxBlockData = 128;

void PutLe16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::uint16_t Be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

// A record goes out at the size the header announces: cut short or padded with zeros.
void PutRecord(std::vector<std::uint8_t>& out, const std::uint8_t* record, std::size_t realSize,
               std::size_t announced) {
    std::size_t n = std::min(realSize, announced);
    out.insert(out.end(), record, record + n);
    out.insert(out.end(), announced - n, 0);
}

void PutLed(std::vector<std::uint8_t>& out, const LedRecord& led, std::size_t announced) {
    const std::uint8_t bytes[kLedRecordSize] = {led.red, led.green, led.blue, led.sequence, led.on};
    PutRecord(out, bytes, kLedRecordSize, announced);
}

void PutHandle(std::vector<std::uint8_t>& out, const HandleRecord& h, std::size_t announced) {
    const std::uint8_t bytes[kHandleRecordSize] = {h.mode,
                                                   h.referenceMode,
                                                   h.referenceHandle,
                                                   static_cast<std::uint8_t>(h.speed >> 8),
                                                   static_cast<std::uint8_t>(h.speed & 0xFF),
                                                   static_cast<std::uint8_t>(h.period >> 8),
                                                   static_cast<std::uint8_t>(h.period & 0xFF),
                                                   h.direction,
                                                   static_cast<std::uint8_t>(h.elementMask >> 8),
                                                   static_cast<std::uint8_t>(h.elementMask & 0xFF),
                                                   h.enable};
    PutRecord(out, bytes, kHandleRecordSize, announced);
}

TraceEvent BlockEvent(int index, int size, bool crcOk) {
    TraceEvent e;
    e.event = "block";
    e.index = index;
    e.size = size;
    e.crcOk = crcOk;
    return e;
}

} // namespace

SimController::SimController(const SimConfig& config) : config_(config), version_(config.version) {
    RestoreDefaults();
}

void SimController::RestoreDefaults() {
    const int sets = config_.secondSet ? 2 : 1;
    for (int s = 0; s < 2; ++s) {
        leds_[s].clear();
        handles_[s].clear();
        if (s >= sets)
            continue;
        for (int i = 0; i < config_.leds; ++i)
            leds_[s].push_back(LedRecord{0xFF, 0x00, 0x00, static_cast<std::uint8_t>(i + 1), 1});
        for (int i = 0; i < config_.handles; ++i) {
            HandleRecord h;
            h.elementMask = i == 0 ? 0x0001 : 0x0000;
            h.enable = i == 0 ? 1 : 0;
            handles_[s].push_back(h);
        }
    }
}

void SimController::EnterLoader() {
    mode_ = SimMode::Loader;
    upgradeBegun_ = false;
    blockIndex_ = 0;
    received_.clear();
}

bool SimController::LeaveLoader() {
    mode_ = SimMode::App;
    if (!upgradeBegun_)
        return false;
    upgradeBegun_ = false;
    flashed_ = received_;
    ++flashCount_;
    if (config_.flashedVersion)
        version_ = *config_.flashedVersion;
    return true;
}

void SimController::Snapshot(SimState& state) const {
    state.mode = mode_;
    state.version = version_;
    state.leds = leds_[0];
    state.secondLeds = leds_[1];
    state.handles = handles_[0];
    state.secondHandles = handles_[1];
    state.received = received_;
    state.blocksReceived = blockIndex_;
    state.flashed = flashed_;
    state.flashCount = flashCount_;
}

std::vector<std::uint8_t> SimController::LayoutHeader() const {
    std::vector<std::uint8_t> out;
    out.push_back(config_.secondSet ? 1 : 0);
    PutLe16(out, static_cast<unsigned>(config_.layoutLedSize));
    PutLe16(out, static_cast<unsigned>(leds_[0].size()));
    PutLe16(out, static_cast<unsigned>(config_.layoutHandleSize));
    PutLe16(out, static_cast<unsigned>(handles_[0].size()));
    return out;
}

std::vector<std::uint8_t> SimController::LayoutBody() const {
    std::vector<std::uint8_t> out;
    const int sets = config_.secondSet ? 2 : 1;
    for (int s = 0; s < sets; ++s)
        for (const LedRecord& led : leds_[s])
            PutLed(out, led, static_cast<std::size_t>(config_.layoutLedSize));
    for (int s = 0; s < sets; ++s)
        for (const HandleRecord& h : handles_[s])
            PutHandle(out, h, static_cast<std::size_t>(config_.layoutHandleSize));
    return out;
}

SimOutcome SimController::HandleFrame(const SimFrame& frame) {
    SimOutcome out;
    if (mode_ == SimMode::App)
        HandleApp(frame, out);
    else
        HandleLoader(frame, out);
    return out;
}

void SimController::HandleQuery(std::uint8_t selector, SimOutcome& out) const {
    SimReply reply;
    reply.cmd = CmdQuery;
    switch (selector) {
    case QueryLayoutHeader:
        reply.data = LayoutHeader();
        break;
    case QueryLayoutBody:
        reply.data = LayoutBody();
        break;
    case QueryVersionLength:
        PutLe16(reply.data, static_cast<unsigned>(version_.size()));
        break;
    case QueryVersionText:
        reply.data.assign(version_.begin(), version_.end());
        break;
    default:
        return; // an unknown selector goes unanswered
    }
    out.replies.push_back(std::move(reply));
}

void SimController::HandleApp(const SimFrame& frame, SimOutcome& out) {
    const std::vector<std::uint8_t>& p = frame.payload;
    // Setting commands name a handle of the first table; anything else is ignored.
    auto handle = [&](std::size_t need) -> HandleRecord* {
        if (p.size() < need || p[0] >= handles_[0].size())
            return nullptr;
        return &handles_[0][p[0]];
    };
    switch (frame.cmd) {
    case CmdQuery:
        if (!p.empty() && !config_.noReply)
            HandleQuery(p[0], out);
        break;
    case CmdEnterUpgradeMode:
        out.after = SimOutcome::After::EnterLoader;
        break;
    case CmdSetColor:
        if (HandleRecord* h = handle(4)) {
            for (std::size_t i = 0; i < leds_[0].size() && i < 16; ++i) {
                if (h->elementMask & (1u << i)) {
                    leds_[0][i].red = p[1];
                    leds_[0][i].green = p[2];
                    leds_[0][i].blue = p[3];
                }
            }
        }
        break;
    case CmdSetEnable:
        if (HandleRecord* h = handle(2))
            h->enable = p[1] ? 1 : 0;
        break;
    case CmdSetElements:
        if (HandleRecord* h = handle(4)) {
            std::uint16_t mask = Be16(&p[1]);
            if (p[3])
                h->elementMask |= mask;
            else
                h->elementMask &= static_cast<std::uint16_t>(~mask);
        }
        break;
    case CmdSetEffect:
        if (HandleRecord* h = handle(9)) {
            h->mode = p[1];
            h->period = Be16(&p[2]);
            h->speed = Be16(&p[4]);
            h->referenceMode = p[6];
            h->referenceHandle = 0xFF;
            for (int bit = 0; bit < 8; ++bit) {
                if (p[7] & (1u << bit)) {
                    h->referenceHandle = static_cast<std::uint8_t>(bit);
                    break;
                }
            }
            h->direction = p[8];
        }
        break;
    case CmdRestoreDefaults:
        RestoreDefaults();
        break;
    default:
        break; // the loader's commands and unknown codes mean nothing to the application
    }
}

void SimController::HandleLoader(const SimFrame& frame, SimOutcome& out) {
    switch (frame.cmd) {
    case CmdBeginUpgrade: {
        upgradeBegun_ = true;
        blockIndex_ = 0;
        received_.clear();
        SimReply reply;
        reply.raw = true;
        reply.data = {0x01};
        out.replies.push_back(std::move(reply));
        break;
    }
    case CmdUpgradeBlock:
        HandleBlock(frame.payload, out);
        break;
    case CmdLeaveUpgradeMode:
        out.after = SimOutcome::After::LeaveLoader;
        break;
    default:
        break; // the loader answers no queries and keeps no lighting state
    }
}

void SimController::HandleBlock(const std::vector<std::uint8_t>& p, SimOutcome& out) {
    // A block without CmdBeginUpgrade starts the transfer all the same.
    upgradeBegun_ = true;
    const int index = blockIndex_++;
    const std::size_t size = p.size() >= 2 ? p.size() - 2 : 0;
    bool crcOk = false;
    if (p.size() >= 3) {
        std::uint16_t sent = Be16(&p[size]);
        crcOk = SimCrc16Arc(p.data(), size) == sent;
    }
    const bool accepted = crcOk && size <= kMaxBlockData && index != config_.rejectBlock;
    if (accepted)
        received_.insert(received_.end(), p.begin(), p.begin() + static_cast<long>(size));
    out.events.push_back(BlockEvent(index, static_cast<int>(size), crcOk));

    SimReply reply;
    reply.cmd = CmdUpgradeBlock;
    reply.data = {static_cast<std::uint8_t>(accepted ? 1 : 0)};
    out.replies.push_back(std::move(reply));
    if (index == config_.unplugAfterBlock)
        out.after = SimOutcome::After::UnplugWhenIdle;
}

} // namespace sim
