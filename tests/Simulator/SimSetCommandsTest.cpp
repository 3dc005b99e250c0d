#include "SimFixture.h"

using simtest::Bytes;
using simtest::Frame;

namespace {

// Sending is fire-and-forget, so wait for the frame to have been handled.
void SendAndWait(sim::Simulator& s, simtest::RawClient& client, std::uint8_t cmd,
                 const Bytes& payload) {
    std::size_t before = s.Trace().size();
    ASSERT_TRUE(client.SendFrame(cmd, payload));
    ASSERT_TRUE(s.WaitForTrace(
        [&](const auto& events) {
            for (std::size_t i = before; i < events.size(); ++i)
                if (events[i].event == "frame" && events[i].cmd == cmd)
                    return true;
            return false;
        },
        2000));
}

} // namespace

TEST_F(SimFixture, SetCommandsChangeTheTablesAndTheBodyShowsThem) {
    sim::Simulator& s = Run(Base());
    auto client = Connect();

    // Handle 0 drives LED 0 only: the colour lands there.
    SendAndWait(s, *client, 0x04, {0x00, 0x12, 0x34, 0x56, 0x01});
    sim::SimState st = s.State();
    EXPECT_EQ(st.leds[0], (sim::LedRecord{0x12, 0x34, 0x56, 1, 1}));
    EXPECT_EQ(st.leds[1], (sim::LedRecord{0xFF, 0x00, 0x00, 2, 1}));

    // Add LEDs 1, 2 and 15, remove LED 0, then colour: LEDs 1, 2, 15 change, LED 0 keeps.
    SendAndWait(s, *client, 0x06, {0x00, 0x80, 0x06, 0x01});
    SendAndWait(s, *client, 0x06, {0x00, 0x00, 0x01, 0x00});
    EXPECT_EQ(s.State().handles[0].elementMask, 0x8006);
    SendAndWait(s, *client, 0x04, {0x00, 0x00, 0x00, 0xFF, 0x01});
    st = s.State();
    EXPECT_EQ(st.leds[0], (sim::LedRecord{0x12, 0x34, 0x56, 1, 1}));
    for (int i : {1, 2, 15})
        EXPECT_EQ(st.leds[i],
                  (sim::LedRecord{0x00, 0x00, 0xFF, static_cast<std::uint8_t>(i + 1), 1}));
    EXPECT_EQ(st.leds[3].blue, 0x00);

    SendAndWait(s, *client, 0x05, {0x03, 0x01});
    SendAndWait(s, *client, 0x05, {0x00, 0x00});
    st = s.State();
    EXPECT_EQ(st.handles[3].enable, 1);
    EXPECT_EQ(st.handles[0].enable, 0);

    // Effect: mode 4, period 1031, speed 3352, reference bit 0x04 -> handle 2, mode 3, dir 0.
    SendAndWait(s, *client, 0x08, {0x01, 0x04, 0x04, 0x07, 0x0D, 0x18, 0x03, 0x04, 0x00});
    sim::HandleRecord h = s.State().handles[1];
    EXPECT_EQ(h.mode, 4);
    EXPECT_EQ(h.period, 1031);
    EXPECT_EQ(h.speed, 3352);
    EXPECT_EQ(h.referenceMode, 3);
    EXPECT_EQ(h.referenceHandle, 2);
    EXPECT_EQ(h.direction, 0);
    // Reference bit 0 means none.
    SendAndWait(s, *client, 0x08, {0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(s.State().handles[1].referenceHandle, 0xFF);
    SendAndWait(s, *client, 0x08, {0x01, 0x04, 0x04, 0x07, 0x0D, 0x18, 0x03, 0x01, 0x00});

    // The body read back carries the same records, handle fields high byte first.
    Bytes reply = Query(*client, 0x10, 168);
    ASSERT_EQ(reply.size(), 181u);
    Bytes body(reply.begin() + 11, reply.end() - 2);
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 5), (Bytes{0x12, 0x34, 0x56, 0x01, 0x01}));
    EXPECT_EQ(Bytes(body.begin() + 5, body.begin() + 10), (Bytes{0x00, 0x00, 0xFF, 0x02, 0x01}));
    const std::size_t handles = 80;
    EXPECT_EQ(Bytes(body.begin() + handles, body.begin() + handles + 11),
              (Bytes{0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80, 0x06, 0x00}));
    EXPECT_EQ(Bytes(body.begin() + handles + 11, body.begin() + handles + 22),
              (Bytes{0x04, 0x03, 0x00, 0x0D, 0x18, 0x04, 0x07, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(SimFixture, RestoreDefaultsBringsBackTheFactoryTables) {
    sim::SimConfig config = Base();
    config.secondSet = true;
    sim::Simulator& s = Run(config);
    const sim::SimState factory = s.State();
    ASSERT_EQ(factory.leds.size(), 16u);
    ASSERT_EQ(factory.secondLeds.size(), 16u);
    ASSERT_EQ(factory.secondHandles.size(), 8u);

    auto client = Connect();
    SendAndWait(s, *client, 0x06, {0x00, 0xFF, 0xFF, 0x01});
    SendAndWait(s, *client, 0x04, {0x00, 0x01, 0x02, 0x03, 0x01});
    SendAndWait(s, *client, 0x05, {0x07, 0x01});
    SendAndWait(s, *client, 0x08, {0x02, 0x05, 0x01, 0x00, 0x02, 0x00, 0x01, 0x80, 0x00});
    ASSERT_NE(s.State().leds, factory.leds);
    ASSERT_NE(s.State().handles, factory.handles);

    SendAndWait(s, *client, 0xFF, {0x10});
    sim::SimState st = s.State();
    EXPECT_EQ(st.leds, factory.leds);
    EXPECT_EQ(st.handles, factory.handles);
    EXPECT_EQ(st.secondLeds, factory.secondLeds);
    EXPECT_EQ(st.handles[0], (sim::HandleRecord{0, 0, 0xFF, 0, 0, 1, 0x0001, 1}));
    EXPECT_EQ(st.handles[5], (sim::HandleRecord{0, 0, 0xFF, 0, 0, 1, 0x0000, 0}));
}

TEST_F(SimFixture, MalformedSettingsAreIgnored) {
    sim::Simulator& s = Run(Base());
    const sim::SimState factory = s.State();
    auto client = Connect();
    SendAndWait(s, *client, 0x04, {0x08, 0x01, 0x02, 0x03, 0x01}); // handle beyond the table
    SendAndWait(s, *client, 0x04, {0x00, 0x01});                   // payload too short
    SendAndWait(s, *client, 0x08, {0x00, 0x01, 0x02});
    SendAndWait(s, *client, 0x42, {0x00}); // unknown command
    EXPECT_EQ(s.State().leds, factory.leds);
    EXPECT_EQ(s.State().handles, factory.handles);
    EXPECT_FALSE(client->ReadReport(50));
}
