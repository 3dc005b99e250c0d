#pragma once

#include "Sim/SimFrameReader.h"
#include "Sim/TraceEvent.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace sim {

using SimClock = std::chrono::steady_clock;

// Input reports waiting to go out, due no earlier than `due`; the trace line is written when
// the first of them leaves.
struct SimOutgoing {
    SimClock::time_point due;
    std::vector<std::vector<std::uint8_t>> reports;
    std::size_t next = 0;
    std::optional<TraceEvent> trace;
};

// One opener of an interface: its own receive stream and its own reply queue, so a reply goes
// back on the connection that sent the frame.
class SimConnection {
public:
    explicit SimConnection(int fd) : fd_(fd) {}
    ~SimConnection();
    SimConnection(const SimConnection&) = delete;
    SimConnection& operator=(const SimConnection&) = delete;

    int Fd() const { return fd_; }

    SimFrameReader reader;
    std::deque<SimOutgoing> queue;
    SimClock::time_point nextSend{};
    SimClock::time_point nextRead{};
    bool blocked = false; // the last send found the host's queue full
    bool dead = false;

private:
    int fd_;
};

} // namespace sim
