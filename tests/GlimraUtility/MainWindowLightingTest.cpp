#include "MainWindowFixture.h"

#include <QLabel>

#include <cstdint>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kSetColor = 0x04;
constexpr int kSetEnable = 0x05;
constexpr int kSetElements = 0x06;
constexpr int kSetEffect = 0x08;
constexpr int kQuery = 0x01;
constexpr int kRestoreDefaults = 0xFF;

class MainWindowLightingTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        StartApp();
        RunSim();
    }

    // Clicks at pos and returns the one frame that follows.
    sim::TraceEvent ClickForFrame(GlimraUtilityDlg& dlg, QPoint pos) {
        const std::size_t from = TraceSize();
        ClickAt(dlg, pos);
        EXPECT_TRUE(WaitForFrames(from, 1));
        const auto frames = Frames(from);
        return frames.empty() ? sim::TraceEvent{} : frames.front();
    }

    // A click that must send nothing: the next frame on the wire is the marker that a
    // following swatch pick sends.
    void ExpectClickSendsNothing(GlimraUtilityDlg& dlg, QPoint pos) {
        const std::size_t from = TraceSize();
        ClickAt(dlg, pos);
        ClickAt(dlg, SwatchPoint(3)); // cyan
        ASSERT_TRUE(WaitForFrames(from, 1));
        const auto frames = Frames(from);
        EXPECT_EQ(frames.front().cmd, kSetColor);
        EXPECT_EQ(frames.size(), 1u);
    }
};

TEST_F(MainWindowLightingTest, ASwatchGoesOutAtTheCurrentBrightness) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        // The factory state is red at full brightness.
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1051);
        sim::TraceEvent white = ClickForFrame(dlg, SwatchPoint(2));
        EXPECT_EQ(white.cmd, kSetColor);
        EXPECT_EQ(white.payload, (Bytes{0, 0xFF, 0xFF, 0xFF, 0x01}));

        for (int step = 7; step >= 4; --step) {
            const sim::TraceEvent frame = ClickForFrame(dlg, DecreasePoint());
            EXPECT_EQ(frame.cmd, kSetColor) << step;
        }
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1047);
        // Level 4 of 8 is half lightness: red goes out as 0x80.
        const sim::TraceEvent red = ClickForFrame(dlg, SwatchPoint(1));
        EXPECT_EQ(red.payload, (Bytes{0, 0x80, 0x00, 0x00, 0x01}));
        const sim::TraceEvent purple = ClickForFrame(dlg, SwatchPoint(8));
        EXPECT_EQ(purple.cmd, kSetColor);
        EXPECT_EQ(purple.payload[1], 0x80);
        EXPECT_EQ(purple.payload[2], 0x00);
    });
}

TEST_F(MainWindowLightingTest, BrightnessStopsAtItsEndsWithoutSending) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        ExpectClickSendsNothing(dlg, IncreasePoint()); // already at 8
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1051);
        for (int level = 7; level >= 1; --level)
            ClickForFrame(dlg, DecreasePoint());
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1044);
        ExpectClickSendsNothing(dlg, DecreasePoint());
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1044);
        const sim::TraceEvent up = ClickForFrame(dlg, IncreasePoint());
        EXPECT_EQ(up.cmd, kSetColor);
        EXPECT_EQ(dlg.BrightnessBitmapId(), 1045);
    });
}

TEST_F(MainWindowLightingTest, EachModeButtonSendsItsEffectAndLeavingACyclingModeResendsTheColour) {
    struct Case {
        int index;
        Bytes effect;
        bool acceptsColour;
        bool resendsWhenLeft;
    } cases[] = {
        {1, {0, 4, 0x04, 0x07, 0x0D, 0x18, 0, 0, 1}, true, true},     // Strobe
        {2, {0, 1, 0x07, 0x0D, 0x00, 0xA4, 0, 0, 1}, true, false},    // Breath
        {3, {0, 2, 0x07, 0x0D, 0x00, 0x84, 0, 0, 1}, false, true},    // Gradual
        {4, {0, 3, 0x07, 0x0D, 0x68, 0x00, 0, 0, 1}, false, false},   // Static Cycle
        {5, {0, 1, 0x07, 0x0D, 0x00, 0x84, 3, 0x01, 1}, false, true}, // Breath Cycle
    };
    const Bytes staticEffect{0, 0, 0, 0, 0, 0, 0, 0, 1};
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.index);
            const sim::TraceEvent effect = ClickForFrame(dlg, ModePoint(c.index));
            EXPECT_EQ(effect.cmd, kSetEffect);
            EXPECT_EQ(effect.payload, c.effect);
            EXPECT_EQ(dlg.IsBrightnessEnabled(), c.acceptsColour);
            EXPECT_EQ(dlg.IsPlateEnabled(), c.acceptsColour);
            EXPECT_EQ(dlg.IncreaseButton()->isEnabled(), c.acceptsColour);

            // Back to Static: the stored colour first when leaving a mode that cycles it.
            const std::size_t from = TraceSize();
            const std::size_t sentFrom = writeClock->SentCount();
            ClickAt(dlg, ModePoint(0));
            ASSERT_TRUE(WaitForFrames(from, c.resendsWhenLeft ? 2 : 1));
            const auto frames = Frames(from);
            if (c.resendsWhenLeft) {
                ASSERT_EQ(frames.size(), 2u);
                EXPECT_EQ(frames[0].cmd, kSetColor);
                EXPECT_EQ(frames[0].payload, (Bytes{0, 0xFF, 0, 0, 1}));
                EXPECT_EQ(frames[1].cmd, kSetEffect);
                const auto sent = writeClock->SentFrom(sentFrom);
                ASSERT_EQ(sent.size(), 2u);
                EXPECT_GE(MsBetween(sent[0], sent[1]), 50.0);
            } else {
                ASSERT_EQ(frames.size(), 1u);
            }
            EXPECT_EQ(frames.back().payload, staticEffect);
            EXPECT_TRUE(dlg.IsBrightnessEnabled());
        }
    });
}

TEST_F(MainWindowLightingTest, TheCentreSwitchesTheLightsOffAndOn) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        const sim::TraceEvent off = ClickForFrame(dlg, SwitchPoint());
        EXPECT_EQ(off.cmd, kSetEnable);
        EXPECT_EQ(off.payload, (Bytes{0, 0}));
        // The centre answers also in a mode that refuses colours.
        ClickForFrame(dlg, ModePoint(4));
        const sim::TraceEvent on = ClickForFrame(dlg, SwitchPoint());
        EXPECT_EQ(on.payload, (Bytes{0, 1}));
        EXPECT_EQ(simulator->State().handles[0].enable, 1);
    });
}

TEST_F(MainWindowLightingTest, DefaultRestoresAddsEveryLedAndReadsBack) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        ClickForFrame(dlg, ModePoint(2));
        const std::size_t from = TraceSize();
        const std::size_t sentFrom = writeClock->SentCount();
        ClickAt(dlg, DefaultPoint());
        ASSERT_TRUE(WaitForFrames(from, 3));
        ASSERT_TRUE(DispatchUntil([&] { return !dlg.IsTimerPending(3); }));
        const auto frames = Frames(from);
        EXPECT_EQ(frames[0].cmd, kRestoreDefaults);
        EXPECT_EQ(frames[0].payload, (Bytes{0x10}));
        EXPECT_EQ(frames[1].cmd, kSetElements);
        EXPECT_EQ(frames[1].payload, (Bytes{0, 0xFF, 0xFF, 0x01}));
        EXPECT_EQ(frames[2].cmd, kQuery);
        // Timed where they leave: 10 ms, then 50 ms apart.
        const auto sent = writeClock->SentFrom(sentFrom);
        ASSERT_GE(sent.size(), 3u);
        EXPECT_GE(MsBetween(sent[0], sent[1]), 10.0);
        EXPECT_GE(MsBetween(sent[1], sent[2]), 50.0);
        // The read-back shows the restored Static mode.
        ASSERT_TRUE(DispatchUntil([&] { return dlg.Lighting().CurrentModeIndex() == 0; }));
    });
}

TEST_F(MainWindowLightingTest, RecoverLeavesTheLoaderAndGraphValuesReachTheirGraphs) {
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        const std::size_t from = TraceSize();
        fw::SendMessage(&dlg, fw::WM_COMMAND, GlimraUtilityDlg::ID_RECOVER, 0);
        ASSERT_TRUE(WaitForFrames(from, 1));
        EXPECT_EQ(Frames(from).front().cmd, 0xFE);
        EXPECT_EQ(Frames(from).front().payload, (Bytes{0x10}));

        EXPECT_EQ(fw::SendMessage(&dlg, GlimraUtilityDlg::WM_FAN_SPEED, 1200, 0), 0);
        fw::SendMessage(&dlg, GlimraUtilityDlg::WM_GPU_TEMPERATURE, 55, 0);
        fw::SendMessage(&dlg, GlimraUtilityDlg::WM_CPU_TEMPERATURE, 61, 0);
        EXPECT_EQ(dlg.LastFanSpeed(), 1200);
        EXPECT_EQ(dlg.LastGpuTemperature(), 55);
        EXPECT_EQ(dlg.LastCpuTemperature(), 61);
        // Below the visible area, as the skin wants them.
        EXPECT_GE(dlg.FanSpeedGraph()->geometry().top(), dlg.Widget()->height());
    });
}

} // namespace
