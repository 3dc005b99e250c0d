// Fuzz target: HID report descriptors as a device (or a fake tree) hands them over.
#include "Framework/Hid/HidReportDescriptor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fw::ParseHidReportDescriptor(data, size);
    return 0;
}
