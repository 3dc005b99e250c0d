#include "Sim/SimTrace.h"

#include <cerrno>
#include <cstring>

namespace sim {

SimTrace::~SimTrace() {
    Close();
}

bool SimTrace::Open(const std::string& file, bool withDevice, std::string& error) {
    Close();
    start_ = std::chrono::steady_clock::now();
    withDevice_ = withDevice;
    events_.clear();
    if (file.empty())
        return true;
    file_ = std::fopen(file.c_str(), "w");
    if (!file_) {
        error = "cannot write the trace file " + file + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SimTrace::Close() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

void SimTrace::Add(TraceEvent event) {
    event.tMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
                    .count();
    if (file_) {
        std::string line = event.ToJson(withDevice_);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fflush(file_);
    }
    events_.push_back(std::move(event));
}

} // namespace sim
