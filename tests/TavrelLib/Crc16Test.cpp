#include "Protocol/Crc16.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

TEST(Crc16Test, StandardCheckValue) {
    const char digits[] = "123456789";
    EXPECT_EQ(Crc16::Compute(reinterpret_cast<const std::uint8_t*>(digits), 9), 0xBB3D);
}

TEST(Crc16Test, KnownValues) {
    EXPECT_EQ(Crc16::Compute(nullptr, 0), 0x0000);
    const std::uint8_t one = 0x01;
    EXPECT_EQ(Crc16::Compute(&one, 1), 0xC0C1);
    const std::uint8_t letter = 'A';
    EXPECT_EQ(Crc16::Compute(&letter, 1), 0x30C0);
    std::vector<std::uint8_t> block(100);
    std::iota(block.begin(), block.end(), 0);
    EXPECT_EQ(Crc16::Compute(block.data(), block.size()), 0xDFEA);
    const std::vector<std::uint8_t> erased(128, 0xFF);
    EXPECT_EQ(Crc16::Compute(erased.data(), erased.size()), 0x7400);
}

TEST(Crc16Test, PiecewiseEqualsWhole) {
    std::vector<std::uint8_t> block(128);
    std::iota(block.begin(), block.end(), 7);
    const std::uint16_t whole = Crc16::Compute(block.data(), block.size());
    const std::uint16_t first = Crc16::Compute(block.data(), 50);
    EXPECT_EQ(Crc16::Compute(block.data() + 50, block.size() - 50, first), whole);
}

} // namespace
