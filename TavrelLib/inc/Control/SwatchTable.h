#pragma once

#include "Model/ColourConversion.h"

// The colour plate's eight swatches (1 red, 2 white, 3 cyan, 4 blue, 5 green, 6 yellow,
// 7 orange, 8 purple) and how a colour read from the controller finds its swatch.
class SwatchTable {
public:
    static constexpr int SwatchCount = 8;

    // Black for an index outside 1-8.
    static RgbColour SwatchColour(int swatch);

    // The swatch a full-brightness colour belongs to; 1 when none matches. Orange and purple
    // come back slightly off through the lightness conversions, so near matches are snapped to
    // the swatch colour.
    static int SwatchForColour(RgbColour& colour);

    // The colour at full brightness: a fully saturated colour at lightness 120, anything else
    // ends up white.
    static RgbColour NormaliseColour(RgbColour colour);
};
