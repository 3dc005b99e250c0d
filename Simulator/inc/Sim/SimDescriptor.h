#pragma once

#include <cstdint>
#include <string>

namespace sim {

// The identity file of one simulated interface (<stem>.desc).
struct SimDescriptor {
    std::uint16_t vendor = 0x04D9;
    std::uint16_t product = 0x8008;
    std::string serial;
    int interface = -1; // -1 when not composite
    int inputReportLength = 64;
    int outputReportLength = 64;

    std::string Text() const;
};

} // namespace sim
