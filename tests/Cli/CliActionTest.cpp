#include "CliSandbox.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Frames = std::vector<SimProcess::Frame>;

Frames Concat(Frames a, const Frames& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Every invocation first reads the controller as the window does after connecting.
Frames AfterRefresh(const Frames& action) {
    return Concat(RefreshFrames(), action);
}

struct ActionCase {
    const char* name;
    QStringList arguments;
    Frames action; // what follows the refresh on the wire
    int exitCode;
};

class CliActionTest : public ::testing::TestWithParam<ActionCase> {};

// The simulator starts in its factory state: handle 0 drives LED 0, red at full brightness,
// static, enabled.
TEST_P(CliActionTest, SendsExactlyTheWindowsFrames) {
    const ActionCase& c = GetParam();
    CliSandbox sandbox;
    SimProcess sim(sandbox);
    ASSERT_TRUE(sim.Ready());

    const CliSandbox::Result run = sandbox.Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
    const Frames expected = AfterRefresh(c.action);
    EXPECT_EQ(sim.FramesAfterAtLeast(expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, CliActionTest,
    ::testing::Values(
        // Purple goes out through the lightness conversion at level 8, so blue AF becomes AC.
        ActionCase{"ColorByName", {"color", "purple"}, {MakeFrame(0x04, "00ff00ac01")}, 0},
        ActionCase{"ColorByNumber", {"color", "3"}, {MakeFrame(0x04, "0000ffff01")}, 0},
        // Level 7 of red: lightness 105.
        ActionCase{"Down", {"down"}, {MakeFrame(0x04, "00df000001")}, 0},
        ActionCase{"UpAtTheTop", {"up"}, {}, 0},
        ActionCase{"Brightness", {"brightness", "4"}, {MakeFrame(0x04, "0080000001")}, 0},
        ActionCase{"ModeStrobe", {"mode", "strobe"}, {MakeFrame(0x08, "000404070d18000001")}, 0},
        ActionCase{"ModeBreath", {"mode", "breath"}, {MakeFrame(0x08, "0001070d00a4000001")}, 0},
        ActionCase{"ModeGradual", {"mode", "gradual"}, {MakeFrame(0x08, "0002070d0084000001")}, 0},
        ActionCase{"ModeStaticCycle", {"mode", "4"}, {MakeFrame(0x08, "0003070d6800000001")}, 0},
        ActionCase{"ModeBreathCycle",
                   {"mode", "breath-cycle"},
                   {MakeFrame(0x08, "0001070d0084030101")},
                   0},
        ActionCase{"ModeStatic", {"mode", "static"}, {MakeFrame(0x08, "000000000000000001")}, 0},
        ActionCase{"Off", {"off"}, {MakeFrame(0x05, "0000")}, 0},
        ActionCase{"On", {"on"}, {MakeFrame(0x05, "0001")}, 0},
        ActionCase{"Recover", {"recover"}, {MakeFrame(0xFE, "10")}, 0},
        ActionCase{"Default",
                   {"default"},
                   Concat({MakeFrame(0xFF, "10"), MakeFrame(0x06, "00ffff01")}, RefreshFrames()),
                   0}),
    [](const auto& info) { return std::string(info.param.name); });

// The simulator stamps a frame when it reads it, which a busy machine may delay by a few
// milliseconds for the first of two frames and not the second: the gaps seen may fall short
// of the tool's own pauses by that much (a missing pause shows as about 1 ms).
constexpr double StampSlackMs = 5.0;

class CliSequenceTest : public ::testing::Test {
protected:
    CliSandbox sandbox;
    SimProcess sim{sandbox};
};

TEST_F(CliSequenceTest, LeavingStrobeResendsTheColourAndPausesBeforeTheEffect) {
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sandbox.Run({"brightness", "4"}).exitCode, 0);
    ASSERT_EQ(sandbox.Run({"mode", "strobe"}).exitCode, 0);
    ASSERT_EQ(sandbox.Run({"mode", "static"}).exitCode, 0);

    const Frames expected = Concat(
        Concat(AfterRefresh({MakeFrame(0x04, "0080000001")}),
               AfterRefresh({MakeFrame(0x08, "000404070d18000001")})),
        AfterRefresh({MakeFrame(0x04, "0080000001"), MakeFrame(0x08, "000000000000000001")}));
    ASSERT_EQ(sim.FramesAfterAtLeast(expected.size()), expected);

    std::vector<double> times;
    for (const SimProcess::Event& e : sim.Events())
        if (e.event == "frame")
            times.push_back(e.tMs);
    EXPECT_GE(times.back() - times[times.size() - 2], 50.0 - StampSlackMs) << "the 50 ms pause";
}

TEST_F(CliSequenceTest, DefaultWaitsBetweenItsSteps) {
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sandbox.Run({"default"}).exitCode, 0);
    sim.FramesAfterAtLeast(10);
    std::vector<double> times;
    for (const SimProcess::Event& e : sim.Events())
        if (e.event == "frame")
            times.push_back(e.tMs);
    ASSERT_EQ(times.size(), 10u);
    EXPECT_GE(times[5] - times[4], 10.0 - StampSlackMs) << "restore, then 10 ms later the LEDs";
    EXPECT_GE(times[6] - times[5], 50.0 - StampSlackMs) << "then 50 ms later the read-back";
}

TEST_F(CliSequenceTest, ColourAndBrightnessAreRefusedInTheCyclingModes) {
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sandbox.Run({"mode", "gradual"}).exitCode, 0);
    const std::size_t before = sim.FramesAfterAtLeast(5).size();
    for (const QStringList& arguments :
         {QStringList{"color", "red"}, QStringList{"up"}, QStringList{"brightness", "2"}}) {
        const CliSandbox::Result run = sandbox.Run(arguments);
        EXPECT_EQ(run.exitCode, 5) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("refused")) << run.err.constData();
        EXPECT_TRUE(run.err.contains("gradual")) << run.err.constData();
    }
    // Only the three refreshes went out.
    const Frames first = sim.Frames();
    Frames expected(first.begin(), first.begin() + static_cast<long>(before));
    for (int i = 0; i < 3; ++i)
        expected = Concat(expected, RefreshFrames());
    EXPECT_EQ(sim.FramesAfterAtLeast(expected.size()), expected);

    // The switch and the mode buttons stay usable.
    EXPECT_EQ(sandbox.Run({"off"}).exitCode, 0);
}

TEST_F(CliSequenceTest, ALimitSaysWhyAndSendsNothing) {
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(sandbox.Run({"brightness", "1"}).exitCode, 0);
    const CliSandbox::Result run = sandbox.Run({"down"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("level 1")) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty());
    const Frames expected = Concat(AfterRefresh({MakeFrame(0x04, "0020000001")}), RefreshFrames());
    EXPECT_EQ(sim.FramesAfterAtLeast(expected.size()), expected);
}

} // namespace
