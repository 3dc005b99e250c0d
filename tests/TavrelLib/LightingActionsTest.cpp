#include "Control/LightingActions.h"
#include "App/LogFile.h"
#include "Control/LightingModeTable.h"
#include "Control/SwatchTable.h"
#include "Protocol/CommandCodes.h"
#include "Protocol/ControllerProtocol.h"
#include "Protocol/TrRequestWindow.h"
#include "RecordingLink.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

struct Led {
    std::uint8_t red, green, blue, sequence, on;
};

struct Handle {
    std::uint8_t mode = 0, referenceMode = 0, referenceId = 0xFF;
    std::uint16_t speed = 0, period = 0;
    std::uint8_t direction = 1;
    std::uint16_t mask = 0x0001;
    std::uint8_t enable = 1;
};

// The layout body as the controller sends it: LED records, then handle records.
Bytes Body(const std::vector<Led>& leds, const std::vector<Handle>& handles) {
    Bytes body;
    for (const Led& l : leds)
        body.insert(body.end(), {l.red, l.green, l.blue, l.sequence, l.on});
    for (const Handle& h : handles) {
        body.insert(body.end(),
                    {h.mode, h.referenceMode, h.referenceId,
                     static_cast<std::uint8_t>(h.speed >> 8), static_cast<std::uint8_t>(h.speed),
                     static_cast<std::uint8_t>(h.period >> 8), static_cast<std::uint8_t>(h.period),
                     h.direction, static_cast<std::uint8_t>(h.mask >> 8),
                     static_cast<std::uint8_t>(h.mask), h.enable});
    }
    return body;
}

Bytes Payload(const Bytes& frame) {
    return Bytes(frame.begin() + 11, frame.end() - 2);
}

class LightingActionsTest : public ::testing::Test {
protected:
    void SetUp() override { protocol.Attach(&link, &window); }

    // Puts the controller's state into the model without the link, then derives the view.
    void Show(Led led, Handle handle) {
        const Bytes body = Body({led, {0, 0, 0xFF, 2, 1}}, {handle, Handle{}});
        ASSERT_TRUE(protocol.Model().Load(body.data(), body.size(), 2, 2, 0));
        actions.ShowModel();
    }

    // The replies of one refresh: layout header and body, version length and text.
    void QueueRefreshReplies(const Bytes& body, int leds, int handles, const std::string& version) {
        link.replies.push_back(
            WireFrame(CmdQuery, {0x00, 0x05, 0x00, static_cast<std::uint8_t>(leds), 0x00, 0x0B,
                                 0x00, static_cast<std::uint8_t>(handles), 0x00}));
        link.replies.push_back(WireFrame(CmdQuery, body));
        link.replies.push_back(
            WireFrame(CmdQuery, {static_cast<std::uint8_t>(version.size()), 0x00}));
        link.replies.push_back(WireFrame(CmdQuery, Bytes(version.begin(), version.end())));
    }

    // Commands and payloads written, queries included.
    std::vector<std::pair<int, Bytes>> Sent() const {
        std::vector<std::pair<int, Bytes>> sent;
        for (const Bytes& frame : link.writes)
            sent.emplace_back(frame[8], Payload(frame));
        return sent;
    }

    RecordingLink link;
    TrRequestWindow window;
    ControllerProtocol protocol;
    LightingActions actions{&protocol, nullptr};
};

struct DerivationCase {
    const char* name;
    Led led;
    Handle handle;
    int swatch;
    unsigned level;
    int modeIndex;
    bool on;
    RgbColour base; // the handle's base colour after the refresh
};

class LightingDerivationTest : public LightingActionsTest,
                               public ::testing::WithParamInterface<DerivationCase> {};

TEST_P(LightingDerivationTest, ShowsWhatTheModelHolds) {
    const DerivationCase& c = GetParam();
    Show(c.led, c.handle);
    const LightingView& view = actions.View();
    EXPECT_EQ(view.swatch, c.swatch);
    EXPECT_EQ(view.level, c.level);
    EXPECT_EQ(protocol.Model().GetLevel(0), c.level);
    EXPECT_EQ(view.modeIndex, c.modeIndex);
    EXPECT_EQ(view.on, c.on);
    EXPECT_EQ(view.brightnessEnabled, c.modeIndex <= 2);
    EXPECT_EQ(view.colourEnabled, c.modeIndex <= 2);

    const HlsColour want = RgbToHls(c.base.red, c.base.green, c.base.blue);
    const LedColourState* state = protocol.Model().ColourStateAt(0);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->hue, want.hue);
    EXPECT_EQ(state->lightness, want.lightness);
    EXPECT_EQ(state->saturation, want.saturation);
    EXPECT_EQ(state->step, want.lightness / 8);
    EXPECT_TRUE(link.writes.empty()) << "deriving sends nothing";
}

Handle Mode(std::uint8_t mode, std::uint8_t referenceMode = 0, std::uint8_t enable = 1) {
    Handle h;
    h.mode = mode;
    h.referenceMode = referenceMode;
    h.enable = enable;
    return h;
}

INSTANTIATE_TEST_SUITE_P(
    Refresh, LightingDerivationTest,
    ::testing::Values(
        DerivationCase{"FullRed", {0xFF, 0, 0, 1, 1}, Mode(0), 1, 8, 0, true, {0xFF, 0, 0}},
        // Step 120 / 8 = 15, lightness 60: level 4.
        DerivationCase{"HalfRed", {0x7F, 0, 0, 1, 1}, Mode(0), 1, 4, 0, true, {0xFF, 0, 0}},
        DerivationCase{
            "Pastel", {0xC8, 0x64, 0x64, 1, 1}, Mode(0), 2, 5, 0, true, {0xFF, 0xFF, 0xFF}},
        // Black normalises to white, whose step is 30; lightness 0 gives level 0.
        DerivationCase{"Black", {0, 0, 0, 1, 1}, Mode(0), 2, 0, 0, true, {0xFF, 0xFF, 0xFF}},
        // Hue 170 is already at full brightness, matches no swatch and keeps its colour.
        DerivationCase{
            "Violet", {0x40, 0x00, 0xFF, 1, 1}, Mode(0), 1, 8, 0, true, {0x40, 0x00, 0xFF}},
        // Lighter than red at full brightness: one level past the last.
        DerivationCase{"LighterThanFull",
                       {0xFF, 0x20, 0x20, 1, 1},
                       Mode(0),
                       1,
                       9,
                       0,
                       true,
                       {0xFF, 0x00, 0x00}},
        DerivationCase{
            "OrangeSnaps", {0xFF, 0x42, 0x00, 1, 1}, Mode(0), 7, 8, 0, true, {0xFF, 0x3F, 0x00}},
        DerivationCase{
            "PurpleSnaps", {0xFF, 0x00, 0xA8, 1, 1}, Mode(0), 8, 8, 0, true, {0xFF, 0x00, 0xAF}},
        // The orange swatch itself normalises to green 0x40 and so finds its swatch.
        DerivationCase{
            "Orange", {0xFF, 0x3F, 0x00, 1, 1}, Mode(0), 7, 8, 0, true, {0xFF, 0x3F, 0x00}},
        DerivationCase{"Off", {0xFF, 0, 0, 1, 1}, Mode(0, 0, 0), 1, 8, 0, false, {0xFF, 0, 0}},
        DerivationCase{"Strobe", {0xFF, 0, 0, 1, 1}, Mode(4, 3), 1, 8, 1, true, {0xFF, 0, 0}},
        DerivationCase{"Breath", {0xFF, 0, 0, 1, 1}, Mode(1), 1, 8, 2, true, {0xFF, 0, 0}},
        DerivationCase{"Gradual", {0xFF, 0, 0, 1, 1}, Mode(2), 1, 8, 3, true, {0xFF, 0, 0}},
        // The Static Cycle effect as sent (mode 3) reads back as Gradual's index.
        DerivationCase{"Mode3", {0xFF, 0, 0, 1, 1}, Mode(3), 1, 8, 3, true, {0xFF, 0, 0}},
        DerivationCase{"StaticCycle", {0xFF, 0, 0, 1, 1}, Mode(0, 3), 1, 8, 4, true, {0xFF, 0, 0}},
        DerivationCase{"BreathCycle", {0xFF, 0, 0, 1, 1}, Mode(1, 3), 1, 8, 5, true, {0xFF, 0, 0}},
        DerivationCase{"UnknownMode", {0xFF, 0, 0, 1, 1}, Mode(7), 1, 8, 7, true, {0xFF, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LightingActionsTest, EverySwatchAtEveryLevelReadsBackAsItself) {
    for (int swatch = 1; swatch <= 8; ++swatch) {
        for (unsigned level = 1; level <= 8; ++level) {
            Show({0xFF, 0, 0, 1, 1}, Mode(0));
            actions.ShowBrightnessLevel(level);
            link.writes.clear();
            actions.SelectSwatch(swatch);
            ASSERT_EQ(link.writes.size(), 1u);
            const Bytes sent = Payload(link.writes[0]);
            ASSERT_EQ(sent.size(), 5u);
            // What the controller then holds is what the next refresh finds.
            Show({sent[1], sent[2], sent[3], 1, 1}, Mode(0));
            EXPECT_EQ(actions.View().swatch, swatch) << "swatch " << swatch << " level " << level;
            EXPECT_EQ(actions.View().level, level) << "swatch " << swatch << " level " << level;
        }
    }
}

TEST_F(LightingActionsTest, ASwatchGoesOutAtTheCurrentLevel) {
    Show({0x00, 0xFF, 0x00, 1, 1}, Mode(0));
    actions.ShowBrightnessLevel(4);
    actions.SelectSwatch(1);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0], (std::pair<int, Bytes>{CmdSetColor, {0x00, 0x80, 0x00, 0x00, 0x01}}));
    EXPECT_EQ(protocol.Model().LedRecordAt(0)->red, 0x80) << "the model follows the send";
    EXPECT_EQ(actions.View().swatch, 1);

    // An index outside 1-8 is black.
    actions.SelectSwatch(9);
    EXPECT_EQ(Sent()[1], (std::pair<int, Bytes>{CmdSetColor, {0x00, 0x00, 0x00, 0x00, 0x01}}));
}

TEST_F(LightingActionsTest, BrightnessStepsSendTheColourAtTheNewLevelAndStopAtTheLimits) {
    Show({0xFF, 0, 0, 1, 1}, Mode(0));
    ASSERT_EQ(actions.View().level, 8u);
    EXPECT_FALSE(actions.StepBrightness(true));
    EXPECT_TRUE(link.writes.empty()) << "Increase at level 8 sends nothing";
    EXPECT_EQ(actions.View().level, 8u);

    EXPECT_TRUE(actions.StepBrightness(false));
    EXPECT_EQ(actions.View().level, 7u);
    EXPECT_EQ(actions.View().BrightnessBitmap(), 1050);
    // Lightness 7 * 15 = 105 of red.
    const RgbColour at7 = HlsToRgb(240, 105, 240);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0], (std::pair<int, Bytes>{CmdSetColor, {0, at7.red, 0, 0, 1}}));

    actions.ShowBrightnessLevel(1);
    link.writes.clear();
    EXPECT_FALSE(actions.StepBrightness(false));
    EXPECT_TRUE(link.writes.empty()) << "Decrease at level 1 sends nothing";
}

TEST_F(LightingActionsTest, BlackStartsAtLevelZeroAndIncreaseGoesToOne) {
    Show({0, 0, 0, 1, 1}, Mode(0));
    EXPECT_EQ(actions.View().level, 0u);
    EXPECT_EQ(actions.View().BrightnessBitmap(), 1043);
    EXPECT_FALSE(actions.StepBrightness(false));
    EXPECT_TRUE(actions.StepBrightness(true));
    EXPECT_EQ(actions.View().level, 1u);
    // White at lightness 30.
    EXPECT_EQ(Sent().at(0), (std::pair<int, Bytes>{CmdSetColor, {0, 0x1F, 0x1F, 0x1F, 1}}));
}

TEST_F(LightingActionsTest, SettingALevelSendsTheColourAtIt) {
    Show({0xFF, 0, 0, 1, 1}, Mode(0));
    actions.SetBrightnessLevel(4);
    EXPECT_EQ(actions.View().level, 4u);
    EXPECT_EQ(Sent().at(0), (std::pair<int, Bytes>{CmdSetColor, {0, 0x80, 0, 0, 1}}));
}

struct ModeCase {
    int from;
    int to;
    Bytes effect; // empty: no effect sent
    bool resend;  // the stored colour goes out first
};

class LightingModeTest : public LightingActionsTest,
                         public ::testing::WithParamInterface<ModeCase> {};

TEST_P(LightingModeTest, SendsTheRowOfTheModeTable) {
    const ModeCase& c = GetParam();
    Show({0x11, 0x22, 0x33, 1, 1}, Mode(0));
    actions.SelectMode(c.from);
    link.writes.clear();
    link.calls.clear();

    actions.SelectMode(c.to);
    std::vector<std::pair<int, Bytes>> expected;
    if (c.resend)
        expected.push_back({CmdSetColor, {0x00, 0x11, 0x22, 0x33, 0x01}});
    if (!c.effect.empty())
        expected.push_back({CmdSetEffect, c.effect});
    EXPECT_EQ(Sent(), expected);
    if (c.resend && !c.effect.empty()) {
        ASSERT_EQ(link.calls.size(), 2u);
        EXPECT_GE(link.calls[1].when - link.calls[0].when, 50ms);
    }
    EXPECT_EQ(actions.CurrentModeIndex(), c.to);
    EXPECT_EQ(actions.View().brightnessEnabled, c.to <= 2);
    EXPECT_EQ(actions.View().colourEnabled, c.to <= 2);
    if (!c.effect.empty()) {
        const LightingModeRow* row = LightingModeTable::Row(c.to);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(protocol.Model().GetMode(0), row->mode) << "the model follows the effect";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LightingModeTest,
    ::testing::Values(
        ModeCase{0, 0, {0, 0, 0x00, 0x00, 0x00, 0x00, 0, 0, 1}, false},
        ModeCase{0, 1, {0, 4, 0x04, 0x07, 0x0D, 0x18, 0, 0, 1}, false},
        ModeCase{0, 2, {0, 1, 0x07, 0x0D, 0x00, 0xA4, 0, 0, 1}, false},
        ModeCase{0, 3, {0, 2, 0x07, 0x0D, 0x00, 0x84, 0, 0, 1}, false},
        ModeCase{0, 4, {0, 3, 0x07, 0x0D, 0x68, 0x00, 0, 0, 1}, false},
        // Breath Cycle follows its own handle: reference bit of handle 0, reference mode 3.
        ModeCase{0, 5, {0, 1, 0x07, 0x0D, 0x00, 0x84, 3, 1, 1}, false},
        ModeCase{1, 0, {0, 0, 0x00, 0x00, 0x00, 0x00, 0, 0, 1}, true},
        ModeCase{3, 2, {0, 1, 0x07, 0x0D, 0x00, 0xA4, 0, 0, 1}, true},
        ModeCase{5, 5, {0, 1, 0x07, 0x0D, 0x00, 0x84, 3, 1, 1}, true},
        ModeCase{2, 4, {0, 3, 0x07, 0x0D, 0x68, 0x00, 0, 0, 1}, false},
        ModeCase{4, 0, {0, 0, 0x00, 0x00, 0x00, 0x00, 0, 0, 1}, false},
        // Outside the table nothing but the re-send goes out.
        ModeCase{0, 6, {}, false}, ModeCase{3, 9, {}, true}),
    [](const auto& info) {
        return "From" + std::to_string(info.param.from) + "To" + std::to_string(info.param.to);
    });

TEST_F(LightingActionsTest, TheSwitchSendsTheEnableAndNothingElse) {
    Show({0xFF, 0, 0, 1, 1}, Mode(1));
    actions.ToggleEnable(false);
    actions.ToggleEnable(true);
    EXPECT_EQ(Sent(),
              (std::vector<std::pair<int, Bytes>>{{CmdSetEnable, {0, 0}}, {CmdSetEnable, {0, 1}}}));
    EXPECT_EQ(protocol.Model().GetEnable(0), 1);
    EXPECT_TRUE(actions.View().on);
    EXPECT_EQ(actions.CurrentModeIndex(), 2);
}

TEST_F(LightingActionsTest, DefaultSequenceRestoresAddsEveryLedAndReadsEverythingBack) {
    TempFolder folder;
    LogFile log;
    log.Open(folder.File("log.txt"));
    LightingActions logged(&protocol, &log);

    Handle restored = Mode(0);
    restored.mask = 0x0003;
    restored.speed = 0x0102;
    restored.period = 0x0A0B;
    const Bytes body = Body({{0xFF, 0, 0, 0, 1}, {0x7F, 0, 0, 12, 0}}, {restored});
    QueueRefreshReplies(body, 2, 1, std::string("1.0.2\0xx", 8));

    ASSERT_EQ(logged.RunDefaultSequence(), 1);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0], (std::pair<int, Bytes>{CmdRestoreDefaults, {0x10}}));
    EXPECT_EQ(sent[1], (std::pair<int, Bytes>{CmdSetElements, {0x00, 0xFF, 0xFF, 0x01}}));
    EXPECT_EQ(sent[2], (std::pair<int, Bytes>{CmdQuery, {0x00}}));
    EXPECT_EQ(sent[3], (std::pair<int, Bytes>{CmdQuery, {0x10}}));
    EXPECT_EQ(sent[4], (std::pair<int, Bytes>{CmdQuery, {0x01}}));
    EXPECT_EQ(sent[5], (std::pair<int, Bytes>{CmdQuery, {0x11}}));
    ASSERT_GE(link.calls.size(), 3u);
    EXPECT_GE(link.calls[1].when - link.calls[0].when, 10ms);
    EXPECT_GE(link.calls[2].when - link.calls[1].when, 50ms);

    const LightingView& view = logged.View();
    EXPECT_TRUE(view.controlsEnabled);
    EXPECT_TRUE(view.versionShown);
    EXPECT_EQ(view.versionText, QStringLiteral("V 1.0.2")) << "the text ends at its zero byte";
    EXPECT_EQ(view.swatch, 1);
    EXPECT_EQ(view.level, 8u);
    EXPECT_TRUE(view.on);

    const std::string dump = "led id: 0\r\n\t\tred: FF, green: 00, blue: 00, sequece no: -1, on: "
                             "01\r\n"
                             "led id: 1\r\n\t\tred: 7F, green: 00, blue: 00, sequece no: 12, on: "
                             "00\r\n"
                             "\r\n"
                             "handle id: 0\r\n\t\tenable: 01\r\n\t\tmode: 0\r\n\t\treference id: "
                             "FF\r\n\t\treference mode: 00\r\n\t\tspeed: 0102\r\n\t\tperiod: "
                             "0A0B\r\n\t\tdirection: 1\r\n\t\telement: 3\r\n"
                             "\r\n";
    QByteArray expected("\xFF\xFE", 2);
    for (char ch : dump)
        expected.append(ch).append('\0');
    EXPECT_EQ(folder.Read("log.txt"), expected);
}

TEST_F(LightingActionsTest, AFailedLayoutReadDisablesTheControlsAndChangesNothingElse) {
    Show({0x7F, 0, 0, 1, 1}, Mode(4));
    actions.EnableLightingControls(true);
    EXPECT_EQ(actions.RefreshFromController(), 0);
    const LightingView& view = actions.View();
    EXPECT_FALSE(view.controlsEnabled);
    EXPECT_FALSE(view.brightnessEnabled);
    EXPECT_FALSE(view.versionShown);
    EXPECT_FALSE(view.on);
    EXPECT_EQ(view.level, 4u);
    EXPECT_EQ(view.modeIndex, 1);
    EXPECT_EQ(Sent().size(), 1u) << "no body, no version asked for";
    EXPECT_EQ(protocol.Model().LedRecordAt(0)->red, 0x7F);
}

TEST(SwatchTableTest, OnlyTheRoundedOrangeAndPurpleAreSnapped) {
    RgbColour exact{0xFF, 0x3F, 0x00};
    EXPECT_EQ(SwatchTable::SwatchForColour(exact), 1) << "an exact green of 0x3F is no match";
    EXPECT_EQ(exact.green, 0x3F);
    RgbColour rounded{0xFF, 0x46, 0x00};
    EXPECT_EQ(SwatchTable::SwatchForColour(rounded), 7);
    EXPECT_EQ(rounded.green, 0x3F);
    RgbColour past{0xFF, 0x00, 0xAD};
    EXPECT_EQ(SwatchTable::SwatchForColour(past), 1);
    EXPECT_EQ(past.blue, 0xAD);
}

TEST(SwatchTableTest, NormalisingStopsAtTheFirstFullChannel) {
    const RgbColour red = SwatchTable::NormaliseColour({0x7F, 0, 0});
    EXPECT_EQ((std::array<int, 3>{red.red, red.green, red.blue}), (std::array<int, 3>{255, 0, 0}));
    const RgbColour white = SwatchTable::NormaliseColour({0, 0, 0});
    EXPECT_EQ((std::array<int, 3>{white.red, white.green, white.blue}),
              (std::array<int, 3>{255, 255, 255}));
}

} // namespace
