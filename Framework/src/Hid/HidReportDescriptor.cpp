#include "Framework/Hid/HidReportDescriptor.h"

#include <algorithm>
#include <map>
#include <vector>

namespace fw {

namespace {

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

std::uint16_t LongestReport(const std::map<std::uint32_t, std::uint64_t>& bits, bool numbered) {
    std::uint64_t longest = 0;
    for (const auto& [id, count] : bits)
        longest = std::max(longest, (count + 7) / 8 + (numbered ? 1 : 0));
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(longest, 0xFFFF));
}

} // namespace

HidReportLengths ParseHidReportDescriptor(const std::uint8_t* data, std::size_t size) {
    Globals globals;
    std::vector<Globals> stack;
    std::map<std::uint32_t, std::uint64_t> inputBits, outputBits;
    bool numbered = false;

    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t prefix = data[at++];
        if (prefix == 0xFE) { // long item: size, tag, data; carries nothing we count
            if (at + 2 > size)
                break;
            at += 2 + data[at];
            continue;
        }
        const std::size_t length = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (at + length > size)
            break; // a truncated item ends the descriptor
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < length; ++i)
            value |= std::uint32_t(data[at + i]) << (8 * i);
        at += length;

        const unsigned type = (prefix >> 2) & 3;
        const unsigned tag = prefix >> 4;
        if (type == 0) { // main
            const std::uint64_t bits = std::uint64_t(globals.reportSize) * globals.reportCount;
            if (tag == 0x8)
                inputBits[globals.reportId] += bits;
            else if (tag == 0x9)
                outputBits[globals.reportId] += bits;
        } else if (type == 1) { // global
            switch (tag) {
            case 0x7:
                globals.reportSize = value;
                break;
            case 0x8:
                globals.reportId = value;
                numbered = true;
                break;
            case 0x9:
                globals.reportCount = value;
                break;
            case 0xA:
                stack.push_back(globals);
                break;
            case 0xB:
                if (!stack.empty()) {
                    globals = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
        }
    }
    return {LongestReport(inputBits, numbered), LongestReport(outputBits, numbered)};
}

} // namespace fw
