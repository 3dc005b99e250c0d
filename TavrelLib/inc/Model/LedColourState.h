#pragma once

#include <cstdint>

// The working colour of one LED, kept in hue, lightness and saturation (0-240) so that the
// brightness can be stepped without losing the hue.
struct LedColourState {
    std::uint32_t hue = 0;
    std::uint32_t saturation = 0;
    std::uint32_t lightness = 0;
    std::uint32_t level = 0;
    // The lightness one brightness level is worth.
    std::uint32_t step = 0;
};
