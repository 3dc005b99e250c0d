#include "SimFixture.h"

#include <algorithm>

using simtest::Bytes;
using simtest::Frame;

namespace {

struct LayoutCase {
    const char* name;
    int leds;
    int handles;
    bool secondSet;
    int ledSize;
    int handleSize;
};

Bytes Le16(int v) {
    return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)};
}

// The factory tables as the wire shows them, each record at the size the header announces.
Bytes FactoryBody(const LayoutCase& c) {
    auto fit = [](Bytes record, int size) {
        record.resize(static_cast<std::size_t>(size), 0);
        return record;
    };
    Bytes out;
    const int sets = c.secondSet ? 2 : 1;
    for (int s = 0; s < sets; ++s)
        for (int i = 0; i < c.leds; ++i) {
            Bytes r = fit({0xFF, 0x00, 0x00, static_cast<std::uint8_t>(i + 1), 0x01}, c.ledSize);
            out.insert(out.end(), r.begin(), r.end());
        }
    for (int s = 0; s < sets; ++s)
        for (int i = 0; i < c.handles; ++i) {
            Bytes r = i == 0
                          ? Bytes{0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01}
                          : Bytes{0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
            r = fit(r, c.handleSize);
            out.insert(out.end(), r.begin(), r.end());
        }
    return out;
}

class SimLayoutQuery : public SimFixture, public ::testing::WithParamInterface<LayoutCase> {};

} // namespace

TEST_P(SimLayoutQuery, HeaderAndBodyByteForByte) {
    const LayoutCase& c = GetParam();
    sim::SimConfig config = Base();
    config.leds = c.leds;
    config.handles = c.handles;
    config.secondSet = c.secondSet;
    config.layoutLedSize = c.ledSize;
    config.layoutHandleSize = c.handleSize;
    Run(config);
    auto client = Connect();
    ASSERT_TRUE(client->Connected());

    Bytes header = {static_cast<std::uint8_t>(c.secondSet ? 1 : 0)};
    for (int v : {c.ledSize, c.leds, c.handleSize, c.handles}) {
        Bytes le = Le16(v);
        header.insert(header.end(), le.begin(), le.end());
    }
    EXPECT_EQ(Query(*client, 0x00, 9), Frame(0x01, header));

    Bytes body = FactoryBody(c);
    std::size_t expectedLength =
        static_cast<std::size_t>(c.ledSize * c.leds + c.handleSize * c.handles) *
        (c.secondSet ? 2 : 1);
    ASSERT_EQ(body.size(), expectedLength);
    EXPECT_EQ(Query(*client, 0x10, body.size()), Frame(0x01, body));
    // Nothing beyond the frame.
    EXPECT_FALSE(client->ReadReport(50));
}

INSTANTIATE_TEST_SUITE_P(Layouts, SimLayoutQuery,
                         ::testing::Values(LayoutCase{"factory", 16, 8, false, 5, 11},
                                           LayoutCase{"second_set", 16, 8, true, 5, 11},
                                           LayoutCase{"small", 3, 2, false, 5, 11},
                                           LayoutCase{"wider_records", 4, 2, false, 7, 13},
                                           LayoutCase{"narrower_records", 4, 2, true, 3, 9},
                                           LayoutCase{"empty", 0, 0, false, 5, 11}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimFixture, VersionLengthIsLittleEndianAndTextHasNoTerminator) {
    sim::SimConfig config = Base();
    std::string longVersion(300, 'v'); // a length above 255 shows the byte order
    config.version = longVersion;
    Run(config);
    auto client = Connect();
    EXPECT_EQ(Query(*client, 0x01, 2), Frame(0x01, {0x2C, 0x01}));
    EXPECT_EQ(Query(*client, 0x11, 300), Frame(0x01, simtest::Text(longVersion)));
}

TEST_F(SimFixture, DefaultVersionAndUnknownSelector) {
    Run(Base());
    auto client = Connect();
    EXPECT_EQ(Query(*client, 0x01, 2), Frame(0x01, {0x05, 0x00}));
    EXPECT_EQ(Query(*client, 0x11, 5), Frame(0x01, simtest::Text("1.0.2")));
    ASSERT_TRUE(client->SendFrame(0x01, {0x42}));
    EXPECT_FALSE(client->ReadReport(100));
}

TEST_F(SimFixture, ReplyIsCutIntoInputReportsOf62DataBytes) {
    Run(Base());
    auto client = Connect();
    ASSERT_TRUE(client->SendFrame(0x01, {0x10}));
    // 168-byte body + 13 = 181 bytes: 62 + 62 + 57.
    const std::size_t expected[] = {62, 62, 57};
    Bytes all;
    for (std::size_t n : expected) {
        auto report = client->ReadReport(2000);
        ASSERT_TRUE(report);
        ASSERT_EQ(report->size(), 64u);
        EXPECT_EQ((*report)[0], 0x3F);
        EXPECT_EQ((*report)[1], n);
        all.insert(all.end(), report->begin() + 2, report->begin() + 2 + static_cast<long>(n));
    }
    EXPECT_EQ(all.size(), 181u);
    EXPECT_EQ(all[180], 0x55);
}

TEST_F(SimFixture, FrameSpreadOverReportsAndJunkOnTheWireIsStillAnswered) {
    Run(Base());
    auto client = Connect();
    // Junk reports: wrong report id, then a write of junk before the frame in the same stream.
    ASSERT_TRUE(client->SendReport(Bytes(64, 0x00)));
    Bytes stream = {0x00, 0x55, 0xFF, 0x13};
    Bytes frame = Frame(0x01, {0x01});
    stream.insert(stream.end(), frame.begin(), frame.end());
    // Three reports of 6 bytes each, the last with more-follows 0.
    for (std::size_t at = 0; at < stream.size(); at += 6) {
        std::size_t n = std::min<std::size_t>(6, stream.size() - at);
        Bytes report(64, 0xEE); // bytes after the data carry no meaning
        report[0] = 0x3F;
        report[1] = static_cast<std::uint8_t>(n);
        report[2] = at + n < stream.size() ? 1 : 0;
        std::copy_n(stream.begin() + static_cast<long>(at), n, report.begin() + 3);
        ASSERT_TRUE(client->SendReport(report));
    }
    EXPECT_EQ(client->ReadData(15), Frame(0x01, {0x05, 0x00}));
}

TEST_F(SimFixture, WriteEndingMidFrameDoesNotSwallowTheNextWrite) {
    Run(Base());
    auto client = Connect();
    Bytes frame = Frame(0x01, {0x01});
    // A write that stops half way through a frame (more-follows 0 on its last report).
    ASSERT_TRUE(client->Write(Bytes(frame.begin(), frame.begin() + 10)));
    ASSERT_TRUE(client->Write(frame));
    EXPECT_EQ(client->ReadData(15), Frame(0x01, {0x05, 0x00}));
    EXPECT_FALSE(client->ReadReport(50));
}
