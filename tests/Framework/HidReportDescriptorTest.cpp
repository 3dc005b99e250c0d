#include "Framework/Hid/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DescriptorCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint16_t input;
    std::uint16_t output;
};

class HidReportDescriptorTest : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(HidReportDescriptorTest, LongestReportsIncludeTheIdByte) {
    const DescriptorCase& c = GetParam();
    const fw::HidReportLengths lengths =
        fw::ParseHidReportDescriptor(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(lengths.input, c.input);
    EXPECT_EQ(lengths.output, c.output);
}

const DescriptorCase kCases[] = {
    // The controller's kind: vendor page, report 0x3F of 63 bytes each way.
    {"Controller",
     {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x3F, 0x75, 0x08, 0x95,
      0x3F, 0x09, 0x01, 0x81, 0x02, 0x95, 0x3F, 0x09, 0x01, 0x91, 0x02, 0xC0},
     64,
     64},
    // No report ids: reports carry no id byte.
    {"Unnumbered",
     {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x75, 0x08, 0x95,
      0x06, 0x81, 0x00, 0x75, 0x01, 0x95, 0x05, 0x91, 0x02, 0x95, 0x03, 0x91, 0x01, 0xC0},
     7,
     1},
    // Two input reports: the longer counts; bits round up to whole bytes.
    {"TwoReports",
     {0x85, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x85, 0x02, 0x75, 0x01, 0x95, 0x51, 0x81,
      0x02},
     12,
     0},
    // Push and pop restore the report size and count; a two-byte count is read whole.
    {"PushPopAndWideCount",
     {0x85, 0x05, 0x75, 0x08, 0x96, 0x00, 0x01, 0xA4, 0x75, 0x10, 0x95, 0x02, 0x91, 0x02, 0xB4,
      0x81, 0x02},
     257,
     5},
    // A long item is skipped; a truncated item ends the descriptor.
    {"LongItemAndTruncation",
     {0xFE, 0x02, 0x10, 0xAA, 0xBB, 0x85, 0x3F, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x96, 0x10},
     64,
     0},
    {"Empty", {}, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Descriptors, HidReportDescriptorTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
