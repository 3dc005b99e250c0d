#include "Model/ColourConversion.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct RgbHls {
    std::uint8_t r, g, b;
    unsigned hue, lightness, saturation;
};

class RgbToHlsTest : public ::testing::TestWithParam<RgbHls> {};

TEST_P(RgbToHlsTest, GivesTheExactIntegerValues) {
    const RgbHls& c = GetParam();
    const HlsColour hls = RgbToHls(c.r, c.g, c.b);
    EXPECT_EQ(std::tie(hls.hue, hls.lightness, hls.saturation),
              std::tie(c.hue, c.lightness, c.saturation));
}

INSTANTIATE_TEST_SUITE_P(
    Colours, RgbToHlsTest,
    ::testing::Values(
        // Pure red lands on hue 240, not 0.
        RgbHls{0xFF, 0x00, 0x00, 240, 120, 240}, RgbHls{0xFF, 0xFF, 0xFF, 160, 240, 0},
        RgbHls{0x00, 0x00, 0x00, 160, 0, 0}, RgbHls{0x40, 0x00, 0xFF, 170, 120, 240},
        RgbHls{0x00, 0x00, 0xFF, 160, 120, 240}, RgbHls{0x00, 0xFF, 0x00, 80, 120, 240},
        RgbHls{0x00, 0xFF, 0xFF, 120, 120, 240}, RgbHls{0xFF, 0xBF, 0x00, 30, 120, 240},
        RgbHls{0xFF, 0x3F, 0x00, 10, 120, 240}, RgbHls{0xFF, 0x00, 0xAF, 213, 120, 240},
        RgbHls{0x7F, 0x00, 0x00, 240, 60, 240}, RgbHls{0xC8, 0x64, 0x64, 240, 141, 114},
        RgbHls{0x80, 0x80, 0x80, 160, 120, 0}));

struct HlsRgb {
    unsigned hue, lightness, saturation;
    std::uint8_t r, g, b;
};

class HlsToRgbTest : public ::testing::TestWithParam<HlsRgb> {};

TEST_P(HlsToRgbTest, GivesTheExactIntegerValues) {
    const HlsRgb& c = GetParam();
    const RgbColour rgb = HlsToRgb(c.hue, c.lightness, c.saturation);
    EXPECT_EQ(std::tie(rgb.red, rgb.green, rgb.blue), std::tie(c.r, c.g, c.b));
}

INSTANTIATE_TEST_SUITE_P(Colours, HlsToRgbTest,
                         ::testing::Values(HlsRgb{240, 60, 240, 0x80, 0x00, 0x00},
                                           HlsRgb{240, 120, 240, 0xFF, 0x00, 0x00},
                                           HlsRgb{0, 120, 240, 0xFF, 0x00, 0x00},
                                           HlsRgb{80, 120, 240, 0x00, 0xFF, 0x00},
                                           HlsRgb{160, 120, 240, 0x00, 0x00, 0xFF},
                                           // Hue below 80 wraps for the blue channel.
                                           HlsRgb{10, 120, 240, 0xFF, 0x40, 0x00},
                                           HlsRgb{213, 120, 240, 0xFF, 0x00, 0xAC},
                                           HlsRgb{240, 136, 114, 0xC5, 0x5C, 0x5C},
                                           // Grey: no saturation.
                                           HlsRgb{100, 120, 0, 0x7F, 0x7F, 0x7F},
                                           HlsRgb{160, 30, 0, 0x1F, 0x1F, 0x1F}));

TEST(ColourConversionTest, FullLightnessIsWhiteWhateverHueAndSaturation) {
    for (unsigned hue = 0; hue <= 240; hue += 8) {
        for (unsigned saturation = 0; saturation <= 240; saturation += 16) {
            const RgbColour rgb = HlsToRgb(hue, 240, saturation);
            EXPECT_EQ(std::tie(rgb.red, rgb.green, rgb.blue),
                      std::make_tuple(std::uint8_t{0xFF}, std::uint8_t{0xFF}, std::uint8_t{0xFF}))
                << "hue " << hue << " saturation " << saturation;
        }
    }
}

TEST(ColourConversionTest, HueToRgbSegments) {
    EXPECT_EQ(HueToRgb(0, 240, 0), 0u);
    EXPECT_EQ(HueToRgb(0, 240, 20), 120u);
    EXPECT_EQ(HueToRgb(0, 240, 40), 240u);
    EXPECT_EQ(HueToRgb(0, 240, 119), 240u);
    EXPECT_EQ(HueToRgb(0, 240, 140), 120u);
    EXPECT_EQ(HueToRgb(0, 240, 160), 0u);
    EXPECT_EQ(HueToRgb(10, 20, 240), 10u);
    // Above 240 wraps once: 260 is 20.
    EXPECT_EQ(HueToRgb(0, 240, 260), 120u);
    // Rounds to nearest: (30 * 1 + 20) / 40 = 1.
    EXPECT_EQ(HueToRgb(0, 30, 1), 1u);
}

} // namespace
