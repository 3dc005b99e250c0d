#include "Model/LightingModel.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Led(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t sequence, std::uint8_t on) {
    return {r, g, b, sequence, on};
}

Bytes Handle(std::uint8_t mode, std::uint8_t referenceMode, std::uint8_t referenceId,
             std::uint16_t speed, std::uint16_t period, std::uint8_t direction, std::uint16_t mask,
             std::uint8_t enable) {
    return {mode,
            referenceMode,
            referenceId,
            static_cast<std::uint8_t>(speed >> 8),
            static_cast<std::uint8_t>(speed),
            static_cast<std::uint8_t>(period >> 8),
            static_cast<std::uint8_t>(period),
            direction,
            static_cast<std::uint8_t>(mask >> 8),
            static_cast<std::uint8_t>(mask),
            enable};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::tuple<int, int, int> Colour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {r, g, b};
}

// Three LEDs; handle 0 drives LEDs 1 and 2, handle 1 drives none.
class LightingModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        body =
            Concat({Led(0x10, 0x20, 0x30, 0, 1), Led(0x7F, 0x00, 0x00, 2, 1),
                    Led(0x01, 0x02, 0x03, 3, 0), Handle(4, 0, 0xFF, 0x0D18, 0x0407, 1, 0x0006, 1),
                    Handle(1, 3, 0, 0x0084, 0x070D, 0, 0x0000, 0)});
        ASSERT_EQ(body.size(), 37u);
        ASSERT_TRUE(model.Load(body.data(), body.size(), 3, 2, 0));
    }

    std::tuple<int, int, int> LedColour(std::uint8_t handle) {
        std::uint8_t r = 0xEE, g = 0xEE, b = 0xEE;
        model.GetLedColour(handle, r, g, b);
        return {r, g, b};
    }

    std::tuple<int, int, int> DisplayColour(std::uint8_t handle) {
        std::uint8_t r = 0xEE, g = 0xEE, b = 0xEE;
        model.GetDisplayColour(handle, r, g, b);
        return {r, g, b};
    }

    Bytes body;
    LightingModel model;
};

TEST(LightingModelEmptyTest, StartsEmpty) {
    LightingModel model;
    EXPECT_EQ(model.LedCount(), 0);
    EXPECT_EQ(model.HandleCount(), 0);
    EXPECT_EQ(model.LevelCount(), 8u);
    EXPECT_EQ(model.DefaultLevel(), 1u);
    EXPECT_EQ(model.LedRecordAt(0), nullptr);
    EXPECT_EQ(model.HandleRecordAt(0), nullptr);
    EXPECT_EQ(model.GetLevel(0), 0u);
    EXPECT_EQ(model.GetMode(0), 0);
}

TEST_F(LightingModelTest, LoadKeepsTheRecordsAsSent) {
    EXPECT_EQ(model.LedCount(), 3);
    EXPECT_EQ(model.HandleCount(), 2);
    EXPECT_EQ(model.SecondSet(), 0);
    const LedRecord* led = model.LedRecordAt(1);
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(Colour(led->red, led->green, led->blue), Colour(0x7F, 0, 0));
    EXPECT_EQ(led->sequence, 2);
    const HandleRecord* handle = model.HandleRecordAt(0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->mode, 4);
    EXPECT_EQ(handle->referenceId, 0xFF);
    EXPECT_EQ(handle->Speed(), 0x0D18);
    EXPECT_EQ(handle->Period(), 0x0407);
    EXPECT_EQ(handle->ElementMask(), 0x0006);
    EXPECT_EQ(model.GetMode(1), 1);
    EXPECT_EQ(model.GetReferenceMode(1), 3);
    EXPECT_EQ(model.GetEnable(0), 1);
    EXPECT_EQ(model.LedRecordAt(3), nullptr);
    EXPECT_EQ(model.HandleRecordAt(2), nullptr);
    EXPECT_EQ(model.LedRecordAt(0, true), nullptr);
    for (int i = 0; i < 3; ++i) {
        const LedColourState* state = model.ColourStateAt(i);
        ASSERT_NE(state, nullptr);
        EXPECT_EQ(state->level + state->step + state->lightness + state->hue, 0u);
    }
}

TEST_F(LightingModelTest, ShortBodyFailsAndKeepsTheModel) {
    // Record sizes 4 and 10 announce 32 bytes, less than the fixed 5- and 11-byte tables need.
    model.SetLevel(0, 5);
    const Bytes shortBody(3 * 4 + 2 * 10, 0x99);
    EXPECT_FALSE(model.Load(shortBody.data(), shortBody.size(), 3, 2, 0));
    EXPECT_FALSE(model.Load(body.data(), body.size(), 3, 2, 1));
    EXPECT_EQ(model.LedCount(), 3);
    EXPECT_EQ(LedColour(0), Colour(0x7F, 0, 0));
    EXPECT_EQ(model.GetLevel(0), 5u);
}

TEST_F(LightingModelTest, SecondSetIsStoredButTheFirstIsRead) {
    const Bytes twice =
        Concat({Led(1, 1, 1, 0, 0), Led(2, 2, 2, 0, 0), Led(9, 9, 9, 0, 0), Led(8, 8, 8, 0, 0),
                Handle(2, 0, 0xFF, 1, 1, 1, 0x0001, 1), Handle(7, 0, 0xFF, 2, 2, 0, 0x0002, 0)});
    ASSERT_EQ(twice.size(), 2 * (2 * 5 + 11u));
    ASSERT_TRUE(model.Load(twice.data(), twice.size(), 2, 1, 1));
    EXPECT_EQ(model.SecondSet(), 1);
    EXPECT_EQ(model.LedRecordAt(1)->red, 2);
    EXPECT_EQ(model.LedRecordAt(0, true)->red, 9);
    EXPECT_EQ(model.LedRecordAt(1, true)->red, 8);
    EXPECT_EQ(model.GetMode(0), 2);
    EXPECT_EQ(model.HandleRecordAt(0, true)->mode, 7);
    EXPECT_EQ(LedColour(0), Colour(1, 1, 1));
}

TEST_F(LightingModelTest, LoadReplacesColourStates) {
    model.SetBaseColour(0, 0xFF, 0, 0);
    model.SetLevel(0, 8);
    ASSERT_TRUE(model.Load(body.data(), body.size(), 3, 2, 0));
    EXPECT_EQ(model.GetLevel(0), 0u);
    EXPECT_EQ(model.ColourStateAt(1)->step, 0u);
}

TEST_F(LightingModelTest, ReadsUseTheFirstMember) {
    EXPECT_EQ(LedColour(0), Colour(0x7F, 0x00, 0x00));
    model.ApplyElements(0, 0x0002, 0);
    EXPECT_EQ(model.HandleRecordAt(0)->ElementMask(), 0x0004);
    EXPECT_EQ(LedColour(0), Colour(0x01, 0x02, 0x03));
    model.ApplyElements(0, 0x0001, 1);
    EXPECT_EQ(LedColour(0), Colour(0x10, 0x20, 0x30));
    // Removing LED 0 makes the next set bit the first member.
    model.ApplyElements(0, 0x0001, 0);
    EXPECT_EQ(LedColour(0), Colour(0x01, 0x02, 0x03));
}

TEST_F(LightingModelTest, HandleWithoutMembersChangesAndReportsNothing) {
    EXPECT_EQ(LedColour(1), Colour(0xEE, 0xEE, 0xEE));
    EXPECT_EQ(DisplayColour(1), Colour(0xEE, 0xEE, 0xEE));
    model.SetBaseColour(1, 0xFF, 0, 0);
    model.SetLevel(1, 4);
    model.ApplyColour(1, 1, 2, 3);
    EXPECT_EQ(model.GetLevel(1), 0u);
    EXPECT_EQ(model.LevelForColour(1, 0xFF, 0, 0), 0u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(model.ColourStateAt(i)->level, 0u);
    EXPECT_EQ(LedColour(0), Colour(0x7F, 0x00, 0x00));
    // A handle the layout does not have at all.
    EXPECT_EQ(LedColour(9), Colour(0xEE, 0xEE, 0xEE));
    model.ApplyEnable(9, 1);
    model.ApplyEffect(9, 1, 2, 3, 4, 5, 6);
    model.ApplyElements(9, 0xFFFF, 1);
    EXPECT_EQ(model.GetEnable(9), 0);
}

TEST_F(LightingModelTest, MembersStopAtTheLedCount) {
    // All 16 bits set with only three LEDs: writes stay inside the three.
    model.ApplyElements(0, 0xFFFF, 1);
    model.SetBaseColour(0, 0x00, 0xFF, 0x00);
    model.SetLevel(0, 3);
    model.ApplyColour(0, 0xAA, 0xBB, 0xCC);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(model.ColourStateAt(i)->level, 3u);
        EXPECT_EQ(model.LedRecordAt(i)->red, 0xAA);
    }
}

TEST_F(LightingModelTest, BaseColourStepAndLevels) {
    model.SetBaseColour(0, 0xFF, 0x00, 0x00);
    const LedColourState* state = model.ColourStateAt(1);
    EXPECT_EQ(std::tie(state->hue, state->lightness, state->saturation, state->step),
              std::make_tuple(240u, 120u, 240u, 15u));
    EXPECT_EQ(model.ColourStateAt(2)->step, 15u);
    EXPECT_EQ(state->level, 0u);
    EXPECT_EQ(model.ColourStateAt(0)->step, 0u);
    // 60 / 15 = 4; 61 would round up to 5.
    EXPECT_EQ(model.LevelForColour(0, 0x7F, 0x00, 0x00), 4u);
    EXPECT_EQ(model.LevelForColour(0, 0x81, 0x00, 0x00), 5u);
    EXPECT_EQ(model.LevelForColour(0, 0x00, 0x00, 0x00), 0u);

    // A black base colour has no step: the default level.
    model.SetBaseColour(0, 0, 0, 0);
    EXPECT_EQ(model.LevelForColour(0, 0xFF, 0x00, 0x00), 1u);
}

TEST_F(LightingModelTest, DisplayColourFollowsTheLevel) {
    model.SetBaseColour(0, 0xFF, 0x00, 0x00);
    model.SetLevel(0, 8);
    EXPECT_EQ(model.GetLevel(0), 8u);
    EXPECT_EQ(DisplayColour(0), Colour(0xFF, 0x00, 0x00));
    model.SetLevel(0, 4);
    EXPECT_EQ(DisplayColour(0), Colour(0x80, 0x00, 0x00));
    model.SetLevel(0, 0);
    EXPECT_EQ(DisplayColour(0), Colour(0x00, 0x00, 0x00));

    // Lightness 141 is no multiple of 8: level 8 shows 8 x 17 = 136, slightly darker.
    model.SetBaseColour(0, 0xC8, 0x64, 0x64);
    model.SetLevel(0, 8);
    EXPECT_EQ(DisplayColour(0), Colour(0xC5, 0x5C, 0x5C));
    model.SetLevel(0, 9);
    EXPECT_EQ(DisplayColour(0), Colour(0xC8, 0x64, 0x64));
}

TEST_F(LightingModelTest, EverySwatchReadsBackAtItsLevel) {
    const std::tuple<std::uint8_t, std::uint8_t, std::uint8_t> swatches[] = {
        {0xFF, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, {0x00, 0xFF, 0xFF}, {0x00, 0x00, 0xFF},
        {0x00, 0xFF, 0x00}, {0xFF, 0xBF, 0x00}, {0xFF, 0x3F, 0x00}, {0xFF, 0x00, 0xAF}};
    for (const auto& [r, g, b] : swatches) {
        for (unsigned level = 1; level <= 8; ++level) {
            model.SetBaseColour(0, r, g, b);
            model.SetLevel(0, level);
            std::uint8_t dr = 0, dg = 0, db = 0;
            ASSERT_TRUE(model.GetDisplayColour(0, dr, dg, db));
            EXPECT_EQ(model.LevelForColour(0, dr, dg, db), level)
                << int(r) << "," << int(g) << "," << int(b) << " level " << level;
        }
    }
}

TEST_F(LightingModelTest, AppliedCommandsUpdateTheRecords) {
    model.ApplyColour(0, 0x11, 0x22, 0x33);
    EXPECT_EQ(
        Colour(model.LedRecordAt(1)->red, model.LedRecordAt(1)->green, model.LedRecordAt(1)->blue),
        Colour(0x11, 0x22, 0x33));
    EXPECT_EQ(model.LedRecordAt(2)->blue, 0x33);
    EXPECT_EQ(model.LedRecordAt(0)->red, 0x10);

    model.ApplyEnable(1, 7);
    EXPECT_EQ(model.GetEnable(1), 1);
    model.ApplyEnable(1, 0);
    EXPECT_EQ(model.GetEnable(1), 0);

    model.ApplyEffect(1, 4, 1031, 3352, 0, 3, 9);
    const HandleRecord* h = model.HandleRecordAt(1);
    EXPECT_EQ(h->mode, 4);
    EXPECT_EQ(h->Period(), 1031);
    EXPECT_EQ(h->Speed(), 3352);
    EXPECT_EQ(h->referenceId, 0);
    EXPECT_EQ(h->referenceMode, 3);
    EXPECT_EQ(h->direction, 1);
    // Stored big-endian, as the controller sends it.
    EXPECT_EQ(h->period[0], 0x04);
    EXPECT_EQ(h->period[1], 0x07);

    model.ApplyElements(1, 0xF00F, 1);
    model.ApplyElements(1, 0x0003, 0);
    EXPECT_EQ(model.HandleRecordAt(1)->ElementMask(), 0xF00C);
}

TEST_F(LightingModelTest, VersionTextIsACopy) {
    Bytes reply = {'1', '.', '2', 0, 'x'};
    model.SetVersionText(reply.data(), reply.size());
    reply[0] = '9';
    EXPECT_EQ(model.VersionText(), std::string("1.2\0x", 5));
}

TEST_F(LightingModelTest, RecordDumpText) {
    const Bytes one = Concat({Led(0xAB, 0x00, 0x0F, 0, 1), Led(1, 2, 3, 4, 0),
                              Handle(1, 3, 0xFF, 0x0084, 0x070D, 1, 0x0003, 1)});
    ASSERT_TRUE(model.Load(one.data(), one.size(), 2, 1, 0));
    EXPECT_EQ(model.RecordDump(),
              "led id: 0\r\n\t\tred: AB, green: 00, blue: 0F, sequece no: -1, on: 01\r\n"
              "led id: 1\r\n\t\tred: 01, green: 02, blue: 03, sequece no: 4, on: 00\r\n"
              "\r\n"
              "handle id: 0\r\n\t\tenable: 01\r\n\t\tmode: 1\r\n\t\treference id: FF\r\n"
              "\t\treference mode: 03\r\n\t\tspeed: 0084\r\n\t\tperiod: 070D\r\n"
              "\t\tdirection: 1\r\n\t\telement: 3\r\n"
              "\r\n");
}

} // namespace
