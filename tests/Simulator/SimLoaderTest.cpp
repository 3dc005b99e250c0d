#include "SimFixture.h"

using simtest::Bytes;
using simtest::Frame;

namespace {

class SimLoader : public SimFixture {
protected:
    // Enters the loader and waits for it to come back; returns a client on it.
    std::unique_ptr<simtest::RawClient> EnterLoader() {
        auto app = Connect();
        EXPECT_TRUE(app->SendFrame(0x02, {0x10}));
        EXPECT_TRUE(app->WaitClosed(2000)); // it vanished...
        EXPECT_TRUE(simulator->WaitForState(
            0, [](const sim::SimState& s) { return s.plugged && s.mode == sim::SimMode::Loader; },
            3000)); // ...and came back as its loader
        return Connect();
    }

    static Bytes Image(std::size_t size) {
        Bytes out(size);
        for (std::size_t i = 0; i < size; ++i)
            out[i] = static_cast<std::uint8_t>(i * 7 + 3);
        return out;
    }

    // Sends the image in 128-byte blocks; returns each block's acknowledgement frame bytes.
    std::vector<Bytes> SendImage(simtest::RawClient& loader, const Bytes& image,
                                 int corruptBlock = -1) {
        std::vector<Bytes> acks;
        int index = 0;
        for (std::size_t at = 0; at < image.size(); at += 128, ++index) {
            Bytes data(image.begin() + static_cast<long>(at),
                       image.begin() + static_cast<long>(std::min(image.size(), at + 128)));
            EXPECT_TRUE(loader.SendFrame(0xFD, simtest::Block(data, index == corruptBlock)));
            acks.push_back(loader.ReadData(14));
        }
        return acks;
    }
};

const Bytes kAccepted = Frame(0xFD, {0x01});
const Bytes kRejected = Frame(0xFD, {0x00});

} // namespace

TEST_F(SimLoader, FullUpdateFlashesTheImageAndReportsTheNewVersion) {
    sim::SimConfig config = Base();
    config.flashOut = dir / "flashed.bin";
    config.flashedVersion = "2.0.0";
    sim::Simulator& s = Run(config);
    const std::string sock = s.Path(0, 0, ".sock");
    auto loader = EnterLoader();
    ASSERT_TRUE(loader->Connected());

    // The loader answers none of the queries.
    for (std::uint8_t selector : {0x00, 0x10, 0x01, 0x11}) {
        ASSERT_TRUE(loader->SendFrame(0x01, {selector}));
        EXPECT_FALSE(loader->ReadReport(50)) << int(selector);
    }

    // CmdBeginUpgrade: one report carrying one raw byte.
    ASSERT_TRUE(loader->SendFrame(0xFC, {0x10}));
    auto raw = loader->ReadReport(2000);
    ASSERT_TRUE(raw);
    EXPECT_EQ((*raw)[0], 0x3F);
    EXPECT_EQ((*raw)[1], 1);

    const Bytes image = Image(1000); // 7 full blocks and a 104-byte tail
    for (const Bytes& ack : SendImage(*loader, image))
        EXPECT_EQ(ack, kAccepted);
    EXPECT_EQ(s.State().received, image);
    EXPECT_EQ(s.State().blocksReceived, 8);

    ASSERT_TRUE(loader->SendFrame(0xFE, {0x10}));
    EXPECT_TRUE(loader->WaitClosed(2000));
    ASSERT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged && st.mode == sim::SimMode::App; },
        3000));
    sim::SimState st = s.State();
    EXPECT_EQ(st.flashed, image);
    EXPECT_EQ(st.flashCount, 1);
    EXPECT_EQ(simtest::ReadFile(config.flashOut), std::string(image.begin(), image.end()));

    auto app = Connect();
    EXPECT_EQ(Query(*app, 0x01, 2), Frame(0x01, {0x05, 0x00}));
    EXPECT_EQ(Query(*app, 0x11, 5), Frame(0x01, simtest::Text("2.0.0")));

    // The trace tells the same story in order.
    std::vector<std::string> story;
    for (const sim::TraceEvent& e : s.Trace())
        if (e.event != "frame" && e.event != "reply" && e.event != "block")
            story.push_back(e.event == "mode" ? "mode " + e.mode : e.event);
    EXPECT_EQ(story, (std::vector<std::string>{"plug", "unplug", "mode loader", "plug",
                                               "flash-complete", "unplug", "mode app", "plug"}));
}

TEST_F(SimLoader, BadCrcAndRejectBlockAcknowledgeWithZero) {
    sim::SimConfig config = Base();
    config.rejectBlock = 3;
    sim::Simulator& s = Run(config);
    auto loader = EnterLoader();
    ASSERT_TRUE(loader->SendFrame(0xFC, {0x10}));
    ASSERT_TRUE(loader->ReadReport(2000));

    auto acks = SendImage(*loader, Image(5 * 128), /*corruptBlock=*/1);
    ASSERT_EQ(acks.size(), 5u);
    EXPECT_EQ(acks[0], kAccepted);
    EXPECT_EQ(acks[1], kRejected); // bad CRC
    EXPECT_EQ(acks[2], kAccepted);
    EXPECT_EQ(acks[3], kRejected); // --reject-block 3 although its CRC is right
    EXPECT_EQ(acks[4], kAccepted);

    std::vector<std::pair<int, bool>> blocks;
    for (const sim::TraceEvent& e : s.Trace())
        if (e.event == "block") {
            EXPECT_EQ(e.size, 128);
            blocks.emplace_back(e.index, e.crcOk);
        }
    EXPECT_EQ(blocks, (std::vector<std::pair<int, bool>>{
                          {0, true}, {1, false}, {2, true}, {3, true}, {4, true}}));
    // Only accepted blocks make up the image.
    EXPECT_EQ(s.State().received.size(), 3u * 128);
}

TEST_F(SimLoader, ShortAndEmptyBlocks) {
    Run(Base());
    auto loader = EnterLoader();
    ASSERT_TRUE(loader->SendFrame(0xFC, {0x10}));
    ASSERT_TRUE(loader->ReadReport(2000));
    ASSERT_TRUE(loader->SendFrame(0xFD, simtest::Block({0x42})));
    EXPECT_EQ(loader->ReadData(14), kAccepted);
    ASSERT_TRUE(loader->SendFrame(0xFD, {0x00, 0x00})); // no data at all
    EXPECT_EQ(loader->ReadData(14), kRejected);
    ASSERT_TRUE(loader->SendFrame(0xFD, simtest::Block(Bytes(129, 1)))); // too big for a block
    EXPECT_EQ(loader->ReadData(14), kRejected);
    EXPECT_EQ(simulator->State().received, Bytes{0x42});
}

TEST_F(SimLoader, LeavingWithoutATransferKeepsTheOldFirmware) {
    sim::SimConfig config = Base();
    config.flashedVersion = "9.9.9";
    config.flashOut = dir / "never.bin";
    sim::Simulator& s = Run(config);
    auto loader = EnterLoader();
    ASSERT_TRUE(loader->SendFrame(0xFE, {0x10}));
    ASSERT_TRUE(loader->WaitClosed(2000));
    ASSERT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged && st.mode == sim::SimMode::App; },
        3000));
    auto app = Connect();
    EXPECT_EQ(Query(*app, 0x11, 5), Frame(0x01, simtest::Text("1.0.2")));
    EXPECT_EQ(s.State().flashCount, 0);
    EXPECT_FALSE(simtest::FileExists(config.flashOut));
}

TEST_F(SimLoader, EmptyTransferStillFlashes) {
    sim::SimConfig config = Base();
    config.flashedVersion = "3.0";
    sim::Simulator& s = Run(config);
    auto loader = EnterLoader();
    ASSERT_TRUE(loader->SendFrame(0xFC, {0x10}));
    ASSERT_TRUE(loader->ReadReport(2000));
    ASSERT_TRUE(loader->SendFrame(0xFE, {0x10}));
    ASSERT_TRUE(s.WaitForEvent("flash-complete", 0, 2000));
    ASSERT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged; }, 3000));
    EXPECT_EQ(s.State().version, "3.0");
    EXPECT_EQ(s.State().flashCount, 1);
    EXPECT_TRUE(s.State().flashed.empty());
}

TEST_F(SimLoader, UnplugAfterBlockVanishesOnceTheAckIsOut) {
    sim::SimConfig config = Base();
    config.unplugAfterBlock = 1;
    sim::Simulator& s = Run(config);
    auto loader = EnterLoader();
    ASSERT_TRUE(loader->SendFrame(0xFD, simtest::Block(Bytes(128, 1))));
    EXPECT_EQ(loader->ReadData(14), kAccepted);
    EXPECT_TRUE(s.State().plugged);
    ASSERT_TRUE(loader->SendFrame(0xFD, simtest::Block(Bytes(128, 2))));
    EXPECT_EQ(loader->ReadData(14), kAccepted);
    EXPECT_TRUE(loader->WaitClosed(2000));
    EXPECT_TRUE(simtest::WaitFile(s.Path(0, 0, ".sock"), false, 1000));
    // It stays away until plugged in by hand, and comes back as the loader.
    EXPECT_FALSE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged; }, 100));
    s.Plug();
    EXPECT_TRUE(s.State().plugged);
    EXPECT_EQ(s.State().mode, sim::SimMode::Loader);
}

TEST_F(SimLoader, NeverReturnLeavesItGone) {
    sim::SimConfig config = Base();
    config.neverReturn = true;
    sim::Simulator& s = Run(config);
    auto app = Connect();
    ASSERT_TRUE(app->SendFrame(0x02, {0x10}));
    ASSERT_TRUE(app->WaitClosed(2000));
    EXPECT_EQ(s.State().mode, sim::SimMode::Loader);
    // Ten times the reboot time and still absent.
    EXPECT_FALSE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.plugged; }, 10 * config.rebootMs));
    EXPECT_FALSE(simtest::FileExists(s.Path(0, 0, ".sock")));
}

TEST_F(SimLoader, AppIgnoresLoaderCommands) {
    sim::Simulator& s = Run(Base());
    auto app = Connect();
    ASSERT_TRUE(app->SendFrame(0xFC, {0x10}));
    ASSERT_TRUE(app->SendFrame(0xFD, simtest::Block({1, 2, 3})));
    ASSERT_TRUE(app->SendFrame(0xFE, {0x10}));
    EXPECT_FALSE(app->ReadReport(100));
    EXPECT_TRUE(s.State().plugged);
    EXPECT_EQ(s.State().mode, sim::SimMode::App);
}
