#include "SimFixture.h"

#include <algorithm>

#include <filesystem>
#include <set>

using simtest::Bytes;
using simtest::Frame;

namespace {

std::set<std::string> FilesIn(const std::string& dir) {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        out.insert(e.path().filename().string());
    return out;
}

} // namespace

TEST_F(SimFixture, FilesFollowTheContractAndUnplugPlugRemovesAndRestoresThem) {
    sim::SimConfig config = Base();
    config.serials = {"GL-0042"};
    sim::Simulator& s = Run(config);
    const std::string stem = s.Stem();
    EXPECT_EQ(
        stem.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-"),
        std::string::npos);
    EXPECT_EQ(FilesIn(dir.Path()),
              (std::set<std::string>{stem + ".desc", stem + ".lock", stem + ".sock"}));
    EXPECT_EQ(simtest::ReadFile(s.Path(0, 0, ".desc")),
              "vendor=04d9\nproduct=8008\nserial=GL-0042\ninterface=-1\n"
              "input_report_length=64\noutput_report_length=64\n");

    auto client = Connect();
    ASSERT_TRUE(client->Connected());
    s.Unplug();
    EXPECT_FALSE(s.State().plugged);
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
    EXPECT_TRUE(client->WaitClosed(1000));
    EXPECT_FALSE(Connect()->Connected());

    s.Plug();
    EXPECT_TRUE(s.State().plugged);
    EXPECT_EQ(s.Stem(), stem);
    EXPECT_EQ(FilesIn(dir.Path()).size(), 3u);
    auto again = Connect();
    EXPECT_EQ(Query(*again, 0x01, 2), Frame(0x01, {0x05, 0x00}));

    std::vector<std::string> events;
    for (const auto& e : s.Trace())
        if (e.event == "plug" || e.event == "unplug")
            events.push_back(e.event);
    EXPECT_EQ(events, (std::vector<std::string>{"plug", "unplug", "plug"}));

    s.Stop();
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
    EXPECT_FALSE(s.IsRunning());
}

TEST_F(SimFixture, CompositeAndSeveralControllers) {
    sim::SimConfig config = Base();
    config.count = 2;
    config.interfaces = 2;
    config.serials = {"A1", "B2"};
    sim::Simulator& s = Run(config);
    ASSERT_EQ(s.Stems().size(), 4u);
    EXPECT_EQ(FilesIn(dir.Path()).size(), 12u);
    for (int d = 0; d < 2; ++d)
        for (int i = 0; i < 2; ++i) {
            std::string desc = simtest::ReadFile(s.Path(d, i, ".desc"));
            EXPECT_NE(desc.find(std::string("serial=") + (d == 0 ? "A1" : "B2") + "\n"),
                      std::string::npos);
            EXPECT_NE(desc.find("interface=" + std::to_string(i) + "\n"), std::string::npos);
        }

    // Either interface of a controller reaches the same state; the other controller is apart.
    auto first = Connect(0, 1);
    ASSERT_TRUE(first->SendFrame(0x05, {0x00, 0x00}));
    ASSERT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.handles[0].enable == 0; }, 2000));
    EXPECT_EQ(s.State(1).handles[0].enable, 1);
    auto other = Connect(0, 0);
    Bytes body = Query(*other, 0x10, 168);
    ASSERT_EQ(body.size(), 181u);
    EXPECT_EQ(body[11 + 80 + 10], 0x00); // handle 0's enable byte

    // Unplugging one controller leaves the other.
    s.Unplug(1);
    EXPECT_FALSE(simtest::FileExists(s.Path(1, 0, ".sock")));
    EXPECT_TRUE(simtest::FileExists(s.Path(0, 0, ".sock")));
    EXPECT_TRUE(s.State(0).plugged);
}

TEST_F(SimFixture, AnswersOnTheConnectionThatAsked) {
    Run(Base());
    auto a = Connect();
    auto b = Connect();
    ASSERT_TRUE(a->Connected() && b->Connected());
    ASSERT_TRUE(b->SendFrame(0x01, {0x01}));
    EXPECT_EQ(b->ReadData(15), Frame(0x01, {0x05, 0x00}));
    EXPECT_FALSE(a->ReadReport(50));
    // Interleaved halves of two frames on two connections do not mix.
    Bytes fa = Frame(0x01, {0x11});
    Bytes fb = Frame(0x01, {0x00});
    auto report = [](const Bytes& f, std::size_t from, std::size_t n, bool more) {
        Bytes r(64, 0);
        r[0] = 0x3F;
        r[1] = static_cast<std::uint8_t>(n);
        r[2] = more ? 1 : 0;
        std::copy_n(f.begin() + static_cast<long>(from), n, r.begin() + 3);
        return r;
    };
    ASSERT_TRUE(a->SendReport(report(fa, 0, 7, true)));
    ASSERT_TRUE(b->SendReport(report(fb, 0, 5, true)));
    ASSERT_TRUE(a->SendReport(report(fa, 7, fa.size() - 7, false)));
    ASSERT_TRUE(b->SendReport(report(fb, 5, fb.size() - 5, false)));
    EXPECT_EQ(a->ReadData(18), Frame(0x01, simtest::Text("1.0.2")));
    EXPECT_EQ(b->ReadData(22), Frame(0x01, {0x00, 0x05, 0x00, 0x10, 0x00, 0x0B, 0x00, 0x08, 0x00}));
}

TEST_F(SimFixture, StartRefusesBadConfigurations) {
    struct Case {
        const char* name;
        void (*change)(sim::SimConfig&);
    };
    const Case cases[] = {
        {"no controllers", [](sim::SimConfig& c) { c.count = 0; }},
        {"serial of 40", [](sim::SimConfig& c) { c.serials = {std::string(40, 's')}; }},
        {"body beyond a frame",
         [](sim::SimConfig& c) {
             c.leds = 20000;
             c.layoutLedSize = 5;
         }},
        {"negative interval", [](sim::SimConfig& c) { c.reportIntervalUs = -1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimConfig config = Base();
        c.change(config);
        sim::Simulator s(config);
        EXPECT_FALSE(s.Start());
        EXPECT_FALSE(s.LastError().empty());
        EXPECT_TRUE(FilesIn(dir.Path()).empty());
    }
}
