#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// CRC-16/ARC (reflected 0x8005, initial 0, no final xor), as the loader checks each block.
std::uint16_t SimCrc16Arc(const std::uint8_t* data, std::size_t size);

} // namespace sim
