#pragma once

#include <cstdint>

// Whether a complete frame lies in the bytes; a read can stop waiting once it does.
bool FrameArrived(const std::uint8_t* bytes, unsigned count);
