#pragma once

#include <cstddef>
#include <cstdint>

// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final XOR), as the controller's
// loader checks each upgrade block.
class Crc16 {
public:
    // Continues from crc, so a block can be fed in pieces; start with 0.
    static std::uint16_t Compute(const std::uint8_t* data, std::size_t length,
                                 std::uint16_t crc = 0);
};
