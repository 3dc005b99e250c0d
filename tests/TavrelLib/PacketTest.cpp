#include "Protocol/Packet.h"

#include "RecordingLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes PayloadOf(const Packet& packet) {
    return Bytes(packet.Data(), packet.Data() + packet.Length());
}

TEST(PacketTest, EncodesTheFrameByteForByte) {
    Packet packet;
    packet.Clear();
    const std::uint8_t payload = 0x10;
    std::uint8_t* frame = packet.Encode(0xFE, &payload, 1, 0);
    ASSERT_EQ(frame, packet.Data());
    EXPECT_EQ(packet.Length(), 14);
    EXPECT_EQ(packet.command, 0xFE);
    const Bytes expected = {0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30,
                            0x00, 0xFE, 0x00, 0x01, 0x10, 0xFF, 0x55};
    EXPECT_EQ(Bytes(frame, frame + packet.Length()), expected);
    packet.Release();
    EXPECT_EQ(packet.Data(), nullptr);
}

TEST(PacketTest, EncodesTagAndLongPayloadLength) {
    Packet packet;
    packet.Clear();
    Bytes payload(300, 0x5A);
    packet.Encode(0x01, payload.data(), 300, 0x7C);
    ASSERT_EQ(packet.Length(), 313);
    EXPECT_EQ(packet.Data()[3], 0x7C);
    EXPECT_EQ(packet.Data()[9], 0x01);
    EXPECT_EQ(packet.Data()[10], 0x2C);
    EXPECT_EQ(packet.Data()[311], 0xFF);
    EXPECT_EQ(packet.Data()[312], 0x55);
}

TEST(PacketTest, EmptyPayloadRoundTrips) {
    Packet out;
    out.Clear();
    out.Encode(0x05, nullptr, 0, 0);
    ASSERT_EQ(out.Length(), 13);
    const Bytes frame(out.Data(), out.Data() + 13);
    EXPECT_EQ(frame[9], 0x00);
    EXPECT_EQ(frame[10], 0x00);
    EXPECT_EQ(frame[11], 0xFF);
    EXPECT_EQ(frame[12], 0x55);

    Packet in;
    in.Clear();
    EXPECT_EQ(in.Decode(frame.data(), static_cast<unsigned>(frame.size())), 1);
    EXPECT_EQ(in.Length(), 0);
    EXPECT_EQ(in.command, 0x05);
}

TEST(PacketTest, EncodeRefusesAPayloadTheLengthFieldCannotHold) {
    Packet packet;
    packet.Clear();
    Bytes payload(0xFFFF - 12, 0);
    EXPECT_EQ(packet.Encode(0x01, payload.data(), static_cast<std::uint16_t>(payload.size()), 0),
              nullptr);
    EXPECT_EQ(packet.Length(), 0);
    EXPECT_NE(packet.Encode(0x01, payload.data(), 0xFFFF - 13, 0), nullptr);
    EXPECT_EQ(packet.Length(), 0xFFFF);
}

TEST(PacketTest, DecodeStoresHeaderFieldsWithoutCheckingThem) {
    const Bytes bytes = {0x00, 0x00, 0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30,
                         0x00, 0x01, 0x00, 0x02, 0x07, 0x08, 0xFF, 0x55};
    Packet packet;
    packet.Clear();
    ASSERT_EQ(packet.Decode(bytes.data(), static_cast<unsigned>(bytes.size())), 1);
    EXPECT_EQ(packet.command, 0x01);
    EXPECT_EQ(packet.Length(), 2);
    EXPECT_EQ(PayloadOf(packet), (Bytes{0x07, 0x08}));

    const Bytes odd = {0xFF, 0xAA, 0x12, 0x34, 'x',  'y',  'z',
                       0x09, 0x99, 0x00, 0x01, 0x42, 0xFF, 0x55};
    ASSERT_EQ(packet.Decode(odd.data(), static_cast<unsigned>(odd.size())), 1);
    EXPECT_EQ(packet.lead, 0x12);
    EXPECT_EQ(packet.tag, 0x34);
    EXPECT_EQ(std::string(packet.version, packet.version + 3), "xyz");
    EXPECT_EQ(packet.version[3], 0x09);
    EXPECT_EQ(packet.command, 0x99);
    EXPECT_EQ(PayloadOf(packet), (Bytes{0x42}));
}

struct DecodeCase {
    const char* name;
    Bytes bytes;
    int found;
    Bytes payload; // when found
};

class PacketDecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PacketDecodeTest, FindsTheExpectedFrame) {
    const DecodeCase& c = GetParam();
    Packet packet;
    packet.Clear();
    EXPECT_EQ(packet.Decode(c.bytes.data(), static_cast<unsigned>(c.bytes.size())), c.found);
    if (c.found) {
        EXPECT_EQ(PayloadOf(packet), c.payload);
    } else {
        EXPECT_EQ(packet.Data(), nullptr);
    }
}

const Bytes Good = WireFrame(0x01, {0x07, 0x08});

INSTANTIATE_TEST_SUITE_P(
    Frames, PacketDecodeTest,
    ::testing::Values(
        // The second FF is dropped by the resynchronisation after the first.
        DecodeCase{"DoubleStartMark", Concat({{0xFF}, Good}), 0, {}},
        DecodeCase{"StrayBytesBefore", Concat({{0x00, 0x55, 0xAA, 0x12}, Good}), 1, {0x07, 0x08}},
        DecodeCase{"BadEndMarkThenGoodFrame",
                   Concat({WireFrame(0x01, {0x01, 0x02}, 2, 0x54), WireFrame(0x02, {0x0A})}),
                   1,
                   {0x0A}},
        DecodeCase{"MissingFirstEndMark",
                   Concat({Bytes{0xFF, 0xAA, 0, 0, '1', '.', '0', 0, 1, 0, 1, 0x33, 0x00},
                           WireFrame(0x02, {0x0B})}),
                   1,
                   {0x0B}},
        DecodeCase{"EndsMidFrame", Bytes(Good.begin(), Good.end() - 1), 0, {}},
        DecodeCase{"EndsInHeader", Bytes(Good.begin(), Good.begin() + 6), 0, {}},
        DecodeCase{"Empty", {}, 0, {}},
        // The payload is counted, not scanned.
        DecodeCase{"MarksInsidePayload",
                   WireFrame(0x01, {0xFF, 0x55, 0xFF, 0xAA}),
                   1,
                   {0xFF, 0x55, 0xFF, 0xAA}},
        // Only the first complete frame counts; what follows is not looked at.
        DecodeCase{
            "FirstOfTwoFrames", Concat({Good, WireFrame(0x03, {0x09}), {0x00}}), 1, {0x07, 0x08}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PacketTest, FullPayloadOf537IsAccepted) {
    Bytes payload(537);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes frame = WireFrame(0x01, payload);
    Packet packet;
    packet.Clear();
    ASSERT_EQ(packet.Decode(frame.data(), static_cast<unsigned>(frame.size())), 1);
    EXPECT_EQ(PayloadOf(packet), payload);
}

TEST(PacketTest, PayloadBeyond537IsCappedAtTheEndMark) {
    // A real 538-byte payload: the 538th byte is taken for the first end mark and fails it.
    const Bytes real = WireFrame(0x01, Bytes(538, 0x11));
    Packet packet;
    packet.Clear();
    EXPECT_EQ(packet.Decode(real.data(), static_cast<unsigned>(real.size())), 0);

    // Declaring 538 with FF 55 as frame bytes 549 and 550 is accepted; the unstored tail is zero.
    const Bytes capped = WireFrame(0x01, Bytes(537, 0x11), 538);
    ASSERT_EQ(capped.size(), 550u);
    ASSERT_EQ(packet.Decode(capped.data(), static_cast<unsigned>(capped.size())), 1);
    ASSERT_EQ(packet.Length(), 538);
    EXPECT_EQ(packet.Data()[536], 0x11);
    EXPECT_EQ(packet.Data()[537], 0x00);
}

TEST(PacketTest, DecodeKeepsNoStateBetweenCalls) {
    const Bytes head(Good.begin(), Good.begin() + 8);
    const Bytes tail(Good.begin() + 8, Good.end());
    Packet packet;
    packet.Clear();
    EXPECT_EQ(packet.Decode(head.data(), static_cast<unsigned>(head.size())), 0);
    EXPECT_EQ(packet.Decode(tail.data(), static_cast<unsigned>(tail.size())), 0);
    EXPECT_EQ(packet.Decode(Good.data(), static_cast<unsigned>(Good.size())), 1);
}

TEST(PacketTest, DecodeAfterEncodeReplacesTheBuffer) {
    Packet packet;
    packet.Clear();
    const std::uint8_t payload[3] = {1, 2, 3};
    packet.Encode(0x04, payload, 3, 0);
    ASSERT_EQ(packet.Decode(Good.data(), static_cast<unsigned>(Good.size())), 1);
    EXPECT_EQ(PayloadOf(packet), (Bytes{0x07, 0x08}));
}

} // namespace
