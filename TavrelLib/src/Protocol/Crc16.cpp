#include "Protocol/Crc16.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t value = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? static_cast<std::uint16_t>((value >> 1) ^ 0xA001)
                                : static_cast<std::uint16_t>(value >> 1);
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> Table = MakeTable();

} // namespace

std::uint16_t Crc16::Compute(const std::uint8_t* data, std::size_t length, std::uint16_t crc) {
    for (std::size_t i = 0; i < length; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ Table[(crc ^ data[i]) & 0xFF]);
    return crc;
}
