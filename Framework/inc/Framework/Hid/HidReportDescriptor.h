#pragma once

#include <cstddef>
#include <cstdint>

namespace fw {

// The largest input and output report, in bytes as they are read and written: the report id
// byte included when the descriptor numbers its reports. 0 when there is no such report.
struct HidReportLengths {
    std::uint16_t input = 0;
    std::uint16_t output = 0;
};

HidReportLengths ParseHidReportDescriptor(const std::uint8_t* data, std::size_t size);

} // namespace fw
