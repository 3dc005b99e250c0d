#include "Sim/SimDescriptor.h"

#include <cstdio>

namespace sim {

std::string SimDescriptor::Text() const {
    char ids[64];
    std::snprintf(ids, sizeof ids, "vendor=%04x\nproduct=%04x\n", vendor, product);
    std::string out = ids;
    out += "serial=" + serial + "\n";
    out += "interface=" + std::to_string(interface) + "\n";
    out += "input_report_length=" + std::to_string(inputReportLength) + "\n";
    out += "output_report_length=" + std::to_string(outputReportLength) + "\n";
    return out;
}

} // namespace sim
