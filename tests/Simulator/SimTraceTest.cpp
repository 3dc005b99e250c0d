#include "SimFixture.h"

#include <regex>
#include <sstream>

using simtest::Bytes;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

} // namespace

TEST_F(SimFixture, TraceFileIsJsonLinesFlushedAsEventsHappen) {
    sim::SimConfig config = Base();
    config.traceFile = dir / "trace.jsonl";
    sim::Simulator& s = Run(config);
    {
        auto client = Connect();
        ASSERT_EQ(Query(*client, 0x01, 2).size(), 15u);
        ASSERT_TRUE(client->SendFrame(0x04, {0x00, 0xAB, 0xCD, 0xEF, 0x01}));
        ASSERT_TRUE(client->SendFrame(0x02, {0x10}));
        ASSERT_TRUE(client->WaitClosed(2000));
    }
    ASSERT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged; }, 3000));
    {
        auto loader = Connect();
        ASSERT_TRUE(loader->SendFrame(0xFD, simtest::Block({0x01, 0x02, 0x03}, true)));
        ASSERT_EQ(loader->ReadData(14).size(), 14u);
        ASSERT_TRUE(loader->SendFrame(0xFE, {0x10}));
        ASSERT_TRUE(loader->WaitClosed(2000));
    }
    ASSERT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged && st.mode == sim::SimMode::App; },
        3000));

    // Read while still running: every event must already be in the file.
    const std::vector<std::string> lines = Lines(simtest::ReadFile(config.traceFile));
    const std::string t = R"(\{"t_ms":\d+\.\d{3},)";
    const std::vector<std::string> expected = {
        t + R"("event":"plug"\})",
        t + R"("event":"frame","cmd":1,"payload":"01"\})",
        t + R"("event":"reply","cmd":1,"payload":"0500"\})",
        t + R"("event":"frame","cmd":4,"payload":"00abcdef01"\})",
        t + R"("event":"frame","cmd":2,"payload":"10"\})",
        t + R"("event":"unplug"\})",
        t + R"("event":"mode","mode":"loader"\})",
        t + R"("event":"plug"\})",
        t + R"("event":"frame","cmd":253,"payload":"010203)" + "[0-9a-f]{4}" + R"("\})",
        t + R"("event":"block","index":0,"size":3,"crc_ok":false\})",
        t + R"("event":"reply","cmd":253,"payload":"00"\})",
        t + R"("event":"frame","cmd":254,"payload":"10"\})",
        t + R"("event":"flash-complete","size":0\})",
        t + R"("event":"unplug"\})",
        t + R"("event":"mode","mode":"app"\})",
        t + R"("event":"plug"\})",
    };
    ASSERT_EQ(lines.size(), expected.size()) << simtest::ReadFile(config.traceFile);
    double last = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(expected[i]))) << lines[i];
        double tMs = std::stod(lines[i].substr(8));
        EXPECT_GE(tMs, last);
        last = tMs;
    }

    // The in-memory trace is the same list.
    std::vector<sim::TraceEvent> events = s.Trace();
    ASSERT_EQ(events.size(), lines.size());
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(events[i].ToJson(false), lines[i]);
}

TEST_F(SimFixture, TraceNamesTheControllerWhenThereAreSeveral) {
    sim::SimConfig config = Base();
    config.count = 2;
    config.traceFile = dir / "trace.jsonl";
    sim::Simulator& s = Run(config);
    s.Unplug(1);
    const std::vector<std::string> lines = Lines(simtest::ReadFile(config.traceFile));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(
        std::regex_match(lines[0], std::regex(R"(\{"t_ms":[0-9.]+,"event":"plug","device":0\})")));
    EXPECT_TRUE(
        std::regex_match(lines[1], std::regex(R"(\{"t_ms":[0-9.]+,"event":"plug","device":1\})")));
    EXPECT_TRUE(std::regex_match(lines[2],
                                 std::regex(R"(\{"t_ms":[0-9.]+,"event":"unplug","device":1\})")));
}
