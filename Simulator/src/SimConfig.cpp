#include "Sim/SimConfig.h"

namespace sim {

std::string SimConfig::SerialFor(int device) const {
    if (serials.empty())
        return {};
    if (serials.size() == 1)
        return serials[0];
    return device >= 0 && static_cast<std::size_t>(device) < serials.size() ? serials[device]
                                                                            : std::string();
}

std::string SimConfig::Validate() const {
    if (count < 1 || count > 64)
        return "--count must be 1 to 64";
    if (interfaces < 1 || interfaces > 99)
        return "--interfaces must be 1 to 99";
    for (const std::string& s : serials) {
        if (s.size() > 39)
            return "a serial number has at most 39 characters";
        if (s.find_first_of("\n\r") != std::string::npos)
            return "a serial number cannot hold a line break";
    }
    if (leds < 0 || leds > 65535 || handles < 0 || handles > 65535)
        return "--leds and --handles must be 0 to 65535";
    if (layoutLedSize < 0 || layoutLedSize > 65535 || layoutHandleSize < 0 ||
        layoutHandleSize > 65535)
        return "layout record sizes must be 0 to 65535";
    long long body = static_cast<long long>(layoutLedSize) * leds +
                     static_cast<long long>(layoutHandleSize) * handles;
    if (secondSet)
        body *= 2;
    if (body > 65535)
        return "the layout body would not fit one frame (at most 65535 bytes)";
    if (version.size() > 65535)
        return "--version text is too long";
    if (flashedVersion && flashedVersion->size() > 65535)
        return "--flashed-version text is too long";
    if (rebootMs < 0 || reportIntervalUs < 0 || replyDelayMs < 0 || strayBytes < 0)
        return "times and counts cannot be negative";
    if (inputReportLength < 3 || inputReportLength > 4096 || outputReportLength < 4 ||
        outputReportLength > 4096)
        return "report lengths must be 3 (input) or 4 (output) to 4096";
    return {};
}

} // namespace sim
