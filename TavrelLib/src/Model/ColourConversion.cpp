#include "Model/ColourConversion.h"

#include <algorithm>

HlsColour RgbToHls(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const unsigned r = red, g = green, b = blue;
    const unsigned max = std::max({r, g, b});
    const unsigned min = std::min({r, g, b});
    const unsigned sum = max + min;
    HlsColour hls{};
    hls.lightness = (sum * 120 + 127) / 255;
    if (max == min) {
        hls.saturation = 0;
        hls.hue = 160;
        return hls;
    }
    const unsigned d = max - min;
    const unsigned den = hls.lightness <= 120 ? sum : 510 - sum;
    hls.saturation = (d * 240 + den / 2) / den;
    const unsigned rd = ((max - r) * 40 + d / 2) / d;
    const unsigned gd = ((max - g) * 40 + d / 2) / d;
    const unsigned bd = ((max - b) * 40 + d / 2) / d;
    unsigned h;
    if (r == max) {
        h = bd > gd ? bd - gd : bd - gd + 240;
    } else if (g == max) {
        const unsigned t = rd + 80;
        h = t > bd ? t - bd : t - bd + 240;
    } else {
        const unsigned t = gd + 160;
        h = t > rd ? t - rd : t - rd + 240;
    }
    // Pure red lands on 240, not 0.
    if (h > 240)
        h -= 240;
    hls.hue = h;
    return hls;
}

unsigned HueToRgb(unsigned low, unsigned high, unsigned hue) {
    if (hue > 240)
        hue -= 240;
    if (hue < 40)
        return low + ((high - low) * hue + 20) / 40;
    if (hue < 120)
        return high;
    if (hue < 160)
        return low + ((high - low) * (160 - hue) + 20) / 40;
    return low;
}

RgbColour HlsToRgb(unsigned hue, unsigned lightness, unsigned saturation) {
    const unsigned l = lightness, s = saturation;
    if (s == 0) {
        const auto grey = static_cast<std::uint8_t>(l * 255 / 240);
        return {grey, grey, grey};
    }
    const unsigned m2 = l <= 120 ? (l * (240 + s) + 120) / 240 : l + s - (l * s + 120) / 240;
    const unsigned m1 = 2 * l - m2;
    auto channel = [&](unsigned h) {
        return static_cast<std::uint8_t>((HueToRgb(m1, m2, h) * 255 + 120) / 240);
    };
    // A hue below 0 counts from 240.
    const unsigned blueHue = hue >= 80 ? hue - 80 : hue + 160;
    return {channel(hue + 80), channel(hue), channel(blueHue)};
}
