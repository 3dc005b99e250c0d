#pragma once

#include <cstdint>

// Asked after each input report of a read with the bytes delivered so far: true ends the read
// there, as a success, instead of waiting for the rest of the count.
using ReadComplete = bool (*)(const std::uint8_t* bytes, unsigned count);
