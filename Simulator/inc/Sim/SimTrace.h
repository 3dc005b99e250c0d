#pragma once

#include "Sim/TraceEvent.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace sim {

// The wire trace: kept in memory and, when a file is given, written as JSON Lines and flushed
// per event so that a reader following the file never waits for a buffer.
class SimTrace {
public:
    SimTrace() = default;
    ~SimTrace();
    SimTrace(const SimTrace&) = delete;
    SimTrace& operator=(const SimTrace&) = delete;

    // Starts the clock; opens (truncates) file unless it is empty. False with error on failure.
    bool Open(const std::string& file, bool withDevice, std::string& error);
    void Close();
    // Stamps the event with the time since Open and records it.
    void Add(TraceEvent event);
    const std::vector<TraceEvent>& Events() const { return events_; }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::FILE* file_ = nullptr;
    bool withDevice_ = false;
    std::vector<TraceEvent> events_;
};

} // namespace sim
