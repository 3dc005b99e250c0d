#include "Control/SwatchTable.h"

namespace {

constexpr RgbColour kSwatches[SwatchTable::SwatchCount] = {
    {0xFF, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, {0x00, 0xFF, 0xFF}, {0x00, 0x00, 0xFF},
    {0x00, 0xFF, 0x00}, {0xFF, 0xBF, 0x00}, {0xFF, 0x3F, 0x00}, {0xFF, 0x00, 0xAF},
};

bool Is(const RgbColour& c, unsigned r, unsigned g, unsigned b) {
    return c.red == r && c.green == g && c.blue == b;
}

} // namespace

RgbColour SwatchTable::SwatchColour(int swatch) {
    if (swatch < 1 || swatch > SwatchCount)
        return {0, 0, 0};
    return kSwatches[swatch - 1];
}

int SwatchTable::SwatchForColour(RgbColour& c) {
    if (Is(c, 0xFF, 0x00, 0x00))
        return 1;
    if (Is(c, 0xFF, 0xFF, 0xFF))
        return 2;
    if (Is(c, 0x00, 0xFF, 0xFF))
        return 3;
    if (Is(c, 0x00, 0x00, 0xFF))
        return 4;
    if (Is(c, 0x00, 0xFF, 0x00))
        return 5;
    if (Is(c, 0xFF, 0xBF, 0x00))
        return 6;
    if (c.red == 0xFF && c.green >= 0x40 && c.green <= 0x46 && c.blue == 0) {
        c = kSwatches[6];
        return 7;
    }
    if (c.red == 0xFF && c.green == 0 && c.blue >= 0xA6 && c.blue <= 0xAC) {
        c = kSwatches[7];
        return 8;
    }
    return 1;
}

RgbColour SwatchTable::NormaliseColour(RgbColour colour) {
    const HlsColour hls = RgbToHls(colour.red, colour.green, colour.blue);
    RgbColour out{0, 0, 0};
    unsigned lightness = 0;
    // Lightness 240 is white, which always has a full channel; the bound only guards the loop.
    while (out.red != 255 && out.green != 255 && out.blue != 255 && lightness < 240) {
        lightness += 120;
        out = HlsToRgb(hls.hue, lightness, hls.saturation);
    }
    return out;
}
