// Runs a fuzz target without libFuzzer: seeded random inputs and mutations of a few valid ones,
// so CTest (and the sanitizer builds) exercise every target on each run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

// Valid-looking starts the mutations work from: a frame, a report descriptor, a template, an INI,
// OpenRGB SDK packets.
std::vector<std::vector<std::uint8_t>> Seeds() {
    auto text = [](const char* s) {
        std::vector<std::uint8_t> v;
        for (; *s; ++s)
            v.push_back(static_cast<std::uint8_t>(*s));
        return v;
    };
    return {
        {0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30, 0x00, 0x01, 0x00, 0x02, 0x07, 0x08, 0xFF, 0x55},
        {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x3F, 0x15, 0x00, 0x26, 0xFF, 0x00,
         0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0},
        text("{\"caption\":\"x\",\"style\":\"0x80C800C8\",\"rect\":[0,0,10,10],\"controls\":"
             "[{\"id\":1,\"class\":\"BUTTON\",\"text\":\"OK\",\"rect\":[1,1,5,5]}]}"),
        text("[Settings]\nLanguage = \"zh_CN\"\nOpenLog=0x1\n[Other]\nkey=value\n"),
        // OpenRGB SDK: agree on version 4, then UPDATELEDS with one colour.
        {'O', 'R', 'G', 'B', 0,   0,   0,   0,   40, 0, 0, 0, 4,    0,    0, 0,
         4,   0,   0,   0,   'O', 'R', 'G', 'B', 0,  0, 0, 0, 0x1A, 0x04, 0, 0,
         10,  0,   0,   0,   10,  0,   0,   0,   1,  0, 0, 0, 0xFF, 0},
        // UPDATEMODE (version 0 layout): index 0, "Static", one colour.
        {'O',  'R', 'G', 'B', 0, 0, 0, 0,   0x4D, 0x04, 0,   0,   57,  0, 0, 0, 57,   0, 0,
         0,    0,   0,   0,   0, 7, 0, 'S', 't',  'a',  't', 'i', 'c', 0, 0, 0, 0,    0, 0x50,
         0x02, 0,   0,   0,   0, 0, 0, 0,   0,    0,    0,   1,   0,   0, 0, 1, 0,    0, 0,
         0,    0,   0,   0,   0, 0, 0, 0,   2,    0,    0,   0,   1,   0, 0, 0, 0xFF, 0},
    };
}

} // namespace

int main() {
    std::mt19937 random(20261210);
    std::size_t runs = 0;
    for (int i = 0; i < 2000; ++i, ++runs) {
        std::vector<std::uint8_t> input(random() % 700);
        for (auto& byte : input)
            byte = static_cast<std::uint8_t>(random());
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    for (const auto& seed : Seeds()) {
        LLVMFuzzerTestOneInput(seed.data(), seed.size());
        for (int i = 0; i < 1500; ++i, ++runs) {
            std::vector<std::uint8_t> input = seed;
            for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
                const std::size_t at = input.empty() ? 0 : random() % input.size();
                switch (random() % 3) {
                case 0:
                    if (!input.empty())
                        input[at] = static_cast<std::uint8_t>(random());
                    break;
                case 1:
                    input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                                 static_cast<std::uint8_t>(random()));
                    break;
                default:
                    if (!input.empty())
                        input.erase(input.begin() + static_cast<std::ptrdiff_t>(at));
                    break;
                }
            }
            LLVMFuzzerTestOneInput(input.data(), input.size());
        }
    }
    std::printf("%zu inputs, no failure\n", runs);
    return 0;
}
