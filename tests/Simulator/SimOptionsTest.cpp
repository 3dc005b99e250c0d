#include "Sim/SimOptions.h"

#include <gtest/gtest.h>

namespace {

sim::SimOptionsResult Parse(std::vector<std::string> args, sim::SimConfig& config,
                            std::string& message) {
    args.insert(args.begin(), "glimra-sim");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    return sim::ParseSimOptions(static_cast<int>(argv.size()), argv.data(), config, message);
}

} // namespace

TEST(SimOptions, EveryOptionLandsInTheConfiguration) {
    sim::SimConfig c;
    std::string message;
    ASSERT_EQ(Parse({"--count",
                     "3",
                     "--interfaces=2",
                     "--serial",
                     "A,B",
                     "--leds",
                     "4",
                     "--handles",
                     "2",
                     "--second-set",
                     "--version",
                     "7.1",
                     "--reboot-ms",
                     "50",
                     "--report-interval-us",
                     "0",
                     "--reply-delay-ms",
                     "5",
                     "--reject-block",
                     "2",
                     "--no-reply",
                     "--stray-bytes",
                     "3",
                     "--split-replies",
                     "--bad-end-mark",
                     "--oversized-count",
                     "--layout-led-size",
                     "6",
                     "--layout-handle-size",
                     "12",
                     "--unplug-after-block",
                     "1",
                     "--never-return",
                     "--hold-exclusive",
                     "--flash-out",
                     "/tmp/x.bin",
                     "--flashed-version",
                     "8.0",
                     "--trace",
                     "/tmp/t.jsonl",
                     "--dir",
                     "/tmp/d"},
                    c, message),
              sim::SimOptionsResult::Run)
        << message;
    EXPECT_EQ(c.count, 3);
    EXPECT_EQ(c.interfaces, 2);
    EXPECT_EQ(c.serials, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(c.SerialFor(1), "B");
    EXPECT_EQ(c.SerialFor(2), "");
    EXPECT_EQ(c.leds, 4);
    EXPECT_EQ(c.handles, 2);
    EXPECT_TRUE(c.secondSet);
    EXPECT_EQ(c.version, "7.1");
    EXPECT_EQ(c.rebootMs, 50);
    EXPECT_EQ(c.reportIntervalUs, 0);
    EXPECT_EQ(c.replyDelayMs, 5);
    EXPECT_EQ(c.rejectBlock, 2);
    EXPECT_TRUE(c.noReply);
    EXPECT_EQ(c.strayBytes, 3);
    EXPECT_TRUE(c.splitReplies);
    EXPECT_TRUE(c.badEndMark);
    EXPECT_TRUE(c.oversizedCount);
    EXPECT_EQ(c.layoutLedSize, 6);
    EXPECT_EQ(c.layoutHandleSize, 12);
    EXPECT_EQ(c.unplugAfterBlock, 1);
    EXPECT_TRUE(c.neverReturn);
    EXPECT_TRUE(c.holdExclusive);
    EXPECT_EQ(c.flashOut, "/tmp/x.bin");
    EXPECT_EQ(c.flashedVersion, "8.0");
    EXPECT_EQ(c.traceFile, "/tmp/t.jsonl");
    EXPECT_EQ(c.dir, "/tmp/d");
}

TEST(SimOptions, DefaultsAndOneSerialForAll) {
    sim::SimConfig c;
    std::string message;
    ASSERT_EQ(Parse({"--serial", "X9", "--count", "2"}, c, message), sim::SimOptionsResult::Run);
    EXPECT_EQ(c.SerialFor(0), "X9");
    EXPECT_EQ(c.SerialFor(1), "X9");
    EXPECT_EQ(c.leds, 16);
    EXPECT_EQ(c.handles, 8);
    EXPECT_EQ(c.version, "1.0.2");
    EXPECT_EQ(c.rebootMs, 1500);
    EXPECT_EQ(c.reportIntervalUs, 1000);
    EXPECT_EQ(c.rejectBlock, -1);
    EXPECT_FALSE(c.flashedVersion);
}

TEST(SimOptions, ErrorsAndHelp) {
    const std::vector<std::vector<std::string>> bad = {
        {"--leds", "x"},     {"--leds"}, {"--count", "0"},      {"--no-reply=1"},
        {"--frobnicate"},    {"stray"},  {"--reboot-ms", "-5"}, {"--serial", std::string(40, 'a')},
        {"--leds", "20000"}, // the body no longer fits one frame
    };
    for (const auto& args : bad) {
        sim::SimConfig c;
        std::string message;
        EXPECT_EQ(Parse(args, c, message), sim::SimOptionsResult::Error) << args[0];
        EXPECT_FALSE(message.empty());
    }
    sim::SimConfig c;
    std::string message;
    EXPECT_EQ(Parse({"--leds", "3", "--help"}, c, message), sim::SimOptionsResult::Help);
}
