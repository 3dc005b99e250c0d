#include "Sim/SimFrameReader.h"
#include "Sim/SimCrc16.h"
#include "Sim/SimFrame.h"

#include "SimTestClient.h"

#include <gtest/gtest.h>

using simtest::Bytes;

namespace {

// Every frame the reader completes while eating bytes.
std::vector<sim::SimFrame> FeedAll(sim::SimFrameReader& reader, const Bytes& bytes) {
    std::vector<sim::SimFrame> out;
    for (std::uint8_t b : bytes)
        if (auto f = reader.Feed(b))
            out.push_back(*f);
    return out;
}

} // namespace

TEST(SimCrc16, StandardCheckValueAndAgreesWithBitwise) {
    const Bytes digits = simtest::Text("123456789");
    EXPECT_EQ(sim::SimCrc16Arc(digits.data(), digits.size()), 0xBB3D);
    Bytes block(128);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 37 + 11);
    EXPECT_EQ(sim::SimCrc16Arc(block.data(), block.size()), simtest::CrcArc(block));
    EXPECT_EQ(sim::SimCrc16Arc(nullptr, 0), 0);
}

TEST(SimFrame, EncodesTheWireLayout) {
    EXPECT_EQ(sim::SimFrame::Encode(0xFE, {0x10}),
              (Bytes{0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30, 0x00, 0xFE, 0x00, 0x01, 0x10, 0xFF,
                     0x55}));
    EXPECT_EQ(
        sim::SimFrame::Encode(0x01, {}, true),
        (Bytes{0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30, 0x00, 0x01, 0x00, 0x00, 0xFF, 0x54}));
    Bytes big(300, 0xFF);
    Bytes frame = sim::SimFrame::Encode(0x01, big);
    EXPECT_EQ(frame.size(), 313u);
    EXPECT_EQ(frame[9], 0x01);
    EXPECT_EQ(frame[10], 0x2C);
}

TEST(SimFrameReader, FindsFramesAmongJunkAndKeepsFields) {
    sim::SimFrameReader reader;
    Bytes input = {0x00, 0x12, 0xFF, 0x00}; // junk, including a lone start byte
    Bytes frame = {0xFF, 0xAA, 0x07, 0x09, 'A',  'B',  'C', 0x00,
                   0x01, 0x00, 0x02, 0x07, 0xFF, 0xFF, 0x55};
    input.insert(input.end(), frame.begin(), frame.end());
    auto frames = FeedAll(reader, input);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].lead, 0x07);
    EXPECT_EQ(frames[0].tag, 0x09);
    EXPECT_EQ(frames[0].version[0], 'A');
    EXPECT_EQ(frames[0].cmd, 0x01);
    EXPECT_EQ(frames[0].payload, (Bytes{0x07, 0xFF})); // payload bytes are counted, not scanned
    EXPECT_FALSE(reader.InFrame());
}

TEST(SimFrameReader, ResynchronisesOnBadMarksAndOverlongFrames) {
    struct Case {
        const char* name;
        Bytes junk;
    };
    const Case cases[] = {
        {"doubled start byte", {0xFF}},
        {"bad end mark", simtest::Frame(0x04, {1, 2, 3}, 0x54)},
        {"frame without its end", {0xFF, 0xAA, 0, 0, 0x31, 0x2E, 0x30, 0, 0x05, 0x00, 0x01, 0x09}},
        {"declares 538 bytes", {0xFF, 0xAA, 0, 0, 0x31, 0x2E, 0x30, 0, 0x05, 0x02, 0x1A}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimFrameReader reader;
        Bytes input = c.junk;
        Bytes good = simtest::Frame(0x06, {0x00, 0xFF, 0xFF, 0x01});
        input.insert(input.end(), good.begin(), good.end());
        auto frames = FeedAll(reader, input);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].cmd, 0x06);
        EXPECT_EQ(frames[0].payload, (Bytes{0x00, 0xFF, 0xFF, 0x01}));
    }
}

TEST(SimFrameReader, LargestPayloadAndBackToBackFrames) {
    sim::SimFrameReader reader;
    Bytes payload(537);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i);
    Bytes input = simtest::Frame(0xFD, payload);
    Bytes second = simtest::Frame(0x05, {0, 1});
    input.insert(input.end(), second.begin(), second.end());
    auto frames = FeedAll(reader, input);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].payload, payload);
    EXPECT_EQ(frames[1].cmd, 0x05);
}

TEST(SimFrameReader, ResetForgetsAPartialFrame) {
    sim::SimFrameReader reader;
    Bytes frame = simtest::Frame(0x05, {0, 1});
    FeedAll(reader, Bytes(frame.begin(), frame.begin() + 8));
    EXPECT_TRUE(reader.InFrame());
    reader.Reset();
    EXPECT_TRUE(FeedAll(reader, Bytes(frame.begin() + 8, frame.end())).empty());
    EXPECT_EQ(FeedAll(reader, frame).size(), 1u);
}
