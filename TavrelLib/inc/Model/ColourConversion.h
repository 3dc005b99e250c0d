#pragma once

#include <cstdint>

// Integer conversions between RGB (0-255) and hue, lightness, saturation (0-240). Every
// truncation is deliberate: the lighting actions rely on these exact values.

struct HlsColour {
    unsigned hue;
    unsigned lightness;
    unsigned saturation;
};

struct RgbColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

HlsColour RgbToHls(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
RgbColour HlsToRgb(unsigned hue, unsigned lightness, unsigned saturation);
// One channel on the 0-240 scale; a hue above 240 wraps once.
unsigned HueToRgb(unsigned low, unsigned high, unsigned hue);
