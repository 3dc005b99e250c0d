// Clients drive the controller through the holder: the frames are those of the window's clicks.
#ifdef GLIMRA_HAVE_SIMULATOR

#include "OpenRgb/OpenRgbDeviceModel.h"
#include "OpenRgbServerFixture.h"
#include "OpenRgbTableDecoder.h"
#include "Protocol/CommandCodes.h"

namespace {

using Frames = std::vector<std::pair<int, std::vector<std::uint8_t>>>;

const std::vector<std::uint8_t> kStaticEffect = {0, 0, 0, 0, 0, 0, 0, 0, 1};
const std::vector<std::uint8_t> kBreathEffect = {0, 1, 0x07, 0x0D, 0x00, 0xA4, 0, 0, 1};
const std::vector<std::uint8_t> kGradualEffect = {0, 2, 0x07, 0x0D, 0x00, 0x84, 0, 0, 1};

QByteArray U32(quint32 value) {
    OpenRgbWriter w;
    w.U32(value);
    return w.Bytes();
}

// UPDATEMODE's payload as a client sends a mode back, for protocol 3 and later.
QByteArray ModePayload(qint32 index, const char* name, std::vector<RgbColour> colours,
                       quint32 brightness, quint32 version = 4) {
    OpenRgbWriter w;
    const qsizetype block = w.BeginBlock();
    w.I32(index);
    w.String(name);
    w.I32(index);
    w.U32(colours.empty() ? 0x200 : 0x250);
    w.U32(0);
    w.U32(0);
    if (version >= 3) {
        w.U32(colours.empty() ? 0 : 1);
        w.U32(colours.empty() ? 0 : 8);
    }
    w.U32(colours.size());
    w.U32(colours.size());
    w.U32(0);
    if (version >= 3)
        w.U32(brightness);
    w.U32(0);
    w.U32(colours.empty() ? 0 : 2);
    w.U16(static_cast<quint16>(colours.size()));
    for (RgbColour c : colours)
        w.Colour(c);
    w.EndBlock(block);
    return w.Bytes();
}

QByteArray LedsPayload(std::vector<RgbColour> colours, int zone = -1, int shortBy = 0) {
    OpenRgbWriter w;
    const qsizetype block = w.BeginBlock();
    if (zone >= 0)
        w.U32(static_cast<quint32>(zone));
    w.U16(static_cast<quint16>(colours.size()));
    for (RgbColour c : colours)
        w.Colour(c);
    w.EndBlock(block);
    QByteArray bytes = w.Bytes();
    qToLittleEndian(static_cast<quint32>(bytes.size() - shortBy), bytes.data());
    return bytes;
}

QByteArray SingleLedPayload(qint32 led, RgbColour c) {
    OpenRgbWriter w;
    w.I32(led);
    w.Colour(c);
    return w.Bytes();
}

class OpenRgbControlTest : public OpenRgbServerFixture {
protected:
    void SetUp() override {
        OpenRgbServerFixture::SetUp();
        if (HasFatalFailure())
            return;
        // A known start: Static, red at full brightness, on.
        holder->ClickMode(0);
        holder->ClickSwatch(1);
        holder->StepToLevel(8);
        if (!holder->View().on)
            holder->ClickSwitch();
        client = Client();
        Taken();
    }

    // Sends, then waits until the server has taken it: a reply to a request after it comes
    // only once everything before it was handled.
    void Do(quint32 id, const QByteArray& payload) {
        client->Send(id, payload);
        ASSERT_TRUE(client->Request(OpenRgbProtocol::RequestControllerCount));
    }

    // The frames the controller took since the last call. A query answered means the frames
    // before it were taken.
    Frames Taken() {
        EXPECT_TRUE(manager->GetProtocol()->ReadVersion());
        Frames frames = FramesSince(mark);
        mark = simulator->Trace().size();
        return frames;
    }

    OpenRgbTableDecoder::Device Read() {
        const auto reply = client->Request(OpenRgbProtocol::RequestControllerData, U32(4));
        EXPECT_TRUE(reply);
        return reply ? OpenRgbTableDecoder(reply->payload, 4).Decode()
                     : OpenRgbTableDecoder::Device{};
    }

    std::unique_ptr<OpenRgbTestClient> client;
    std::size_t mark = 0;
};

TEST_F(OpenRgbControlTest, ModesSelectedByIndexSendTheWindowsEffects) {
    Do(OpenRgbProtocol::UpdateMode, ModePayload(2, "Breathing", {{255, 0, 0}}, 8));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEffect, kBreathEffect}}));
    EXPECT_EQ(Read().activeMode, 2);

    // Saving is selecting: the controller keeps what it is given.
    Do(OpenRgbProtocol::SaveMode, ModePayload(0, "Static", {{255, 0, 0}}, 8));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEffect, kStaticEffect}}));

    // A cycle carries no colour; leaving Gradual puts the stored colour back first.
    Do(OpenRgbProtocol::UpdateMode, ModePayload(3, "Spectrum Cycle", {}, 0));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEffect, kGradualEffect}}));
    Do(OpenRgbProtocol::SetCustomMode, {});
    EXPECT_EQ(Taken(), (Frames{{CmdSetColor, {0, 0xFF, 0, 0, 1}}, {CmdSetEffect, kStaticEffect}}));
    // Already in Static: nothing to send.
    Do(OpenRgbProtocol::SetCustomMode, {});
    EXPECT_TRUE(Taken().empty());
}

TEST_F(OpenRgbControlTest, ModeColourAndBrightnessPickSwatchAndLevel) {
    // Blue at brightness 4: the swatch, then one step at a time down to 4.
    Do(OpenRgbProtocol::UpdateMode, ModePayload(0, "Static", {{0, 0, 255}}, 4));
    const Frames frames = Taken();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(),
              (std::pair<int, std::vector<std::uint8_t>>{CmdSetColor, {0, 0, 0, 0xFF, 1}}));
    EXPECT_EQ(frames.back(),
              (std::pair<int, std::vector<std::uint8_t>>{CmdSetColor, {0, 0, 0, 0x80, 1}}));
    EXPECT_EQ(holder->View().swatch, 4);
    EXPECT_EQ(holder->View().level, 4u);

    // A scaled colour at brightness 8 means the same level.
    Do(OpenRgbProtocol::UpdateMode, ModePayload(0, "Static", {{0, 0x80, 0}}, 8));
    EXPECT_EQ(Taken(), (Frames{{CmdSetColor, {0, 0, 0x80, 0, 1}}}));
    const auto d = Read();
    EXPECT_EQ(d.modes[0].brightness, 4u);
    EXPECT_EQ(d.modes[0].colours[0].g, 0xFF);
    EXPECT_EQ(d.colours[0].g, 0x80);

    // Protocol 2 has no brightness field: the colour's value alone.
    auto old = Client(2);
    old->Send(OpenRgbProtocol::UpdateMode, ModePayload(2, "Breathing", {{255, 255, 255}}, 0, 2));
    ASSERT_TRUE(old->Request(OpenRgbProtocol::RequestControllerCount));
    EXPECT_EQ(holder->View().modeIndex, 2);
    EXPECT_EQ(holder->View().swatch, 2);
    EXPECT_EQ(holder->View().level, 4u);
}

TEST_F(OpenRgbControlTest, LedColoursGoToTheNearestSwatchAndBlackSwitchesOff) {
    Do(OpenRgbProtocol::UpdateLeds, LedsPayload({{0, 0, 255}}));
    EXPECT_EQ(Taken(), (Frames{{CmdSetColor, {0, 0, 0, 0xFF, 1}}}));

    // The zone form, and the older clients' size field 4 bytes short.
    Do(OpenRgbProtocol::UpdateZoneLeds, LedsPayload({{10, 20, 250}}, 0, 4));
    EXPECT_TRUE(Taken().empty());
    Do(OpenRgbProtocol::UpdateSingleLed, SingleLedPayload(0, {0, 0, 0}));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEnable, {0, 0}}}));
    EXPECT_EQ(Read().activeMode, 6);
    Do(OpenRgbProtocol::UpdateLeds, LedsPayload({{0, 0, 255}}, -1, 4));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEnable, {0, 1}}}));
    EXPECT_EQ(Read().activeMode, 0);
    // An empty list changes nothing.
    Do(OpenRgbProtocol::UpdateLeds, LedsPayload({}));
    EXPECT_TRUE(Taken().empty());
}

TEST_F(OpenRgbControlTest, OffModeAndCycleModesRefuseColourAsTheWindowDoes) {
    Do(OpenRgbProtocol::UpdateMode, ModePayload(6, "Off", {}, 0));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEnable, {0, 0}}}));
    Do(OpenRgbProtocol::UpdateMode, ModePayload(3, "Spectrum Cycle", {}, 0));
    EXPECT_EQ(Taken(), (Frames{{CmdSetEnable, {0, 1}}, {CmdSetEffect, kGradualEffect}}));
    // In a cycle, a colour only keeps the lights on.
    Do(OpenRgbProtocol::UpdateLeds, LedsPayload({{0, 255, 0}}));
    EXPECT_TRUE(Taken().empty());
    EXPECT_EQ(holder->View().swatch, 1);
    const auto d = Read();
    EXPECT_EQ(d.activeMode, 3);
    EXPECT_EQ(d.modes[3].colours.size(), 0u);
}

TEST_F(OpenRgbControlTest, ChangesMadeElsewhereShowAtTheNextRead) {
    holder->ClickSwatch(5);
    holder->StepToLevel(2);
    holder->ClickMode(1);
    auto d = Read();
    EXPECT_EQ(d.activeMode, 1);
    EXPECT_EQ(d.modes[1].brightness, 2u);
    EXPECT_EQ(d.modes[1].colours[0].g, 0xFF);
    EXPECT_EQ(d.colours[0].g, 0x40);
    holder->ClickSwitch();
    EXPECT_EQ(Read().activeMode, 6);
}

TEST_F(OpenRgbControlTest, ABusyOrAbsentControllerIsNotDriven) {
    holder->busy = true;
    Do(OpenRgbProtocol::UpdateLeds, LedsPayload({{0, 255, 0}}));
    Do(OpenRgbProtocol::UpdateMode, ModePayload(2, "Breathing", {{0, 255, 0}}, 8));
    EXPECT_TRUE(Taken().empty());
    holder->busy = false;

    // Gone: no device to count, and a request for it ends the connection at once.
    holder->Disconnect();
    const auto count = client->Request(OpenRgbProtocol::RequestControllerCount);
    ASSERT_TRUE(count);
    EXPECT_EQ(count->payload, U32(0));
    client->Send(OpenRgbProtocol::RequestControllerData, U32(4));
    EXPECT_TRUE(client->WaitClosed());
}

TEST_F(OpenRgbControlTest, ClientsHearWhenTheControllerComesAndGoes) {
    auto v0 = Client(0);
    holder->Disconnect();
    const auto notice = client->Receive(OpenRgbServer::DevicePollMs * 3);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->header.id, OpenRgbProtocol::DeviceListUpdated);
    EXPECT_TRUE(notice->payload.isEmpty());
    ASSERT_TRUE(holder->Connect());
    ASSERT_TRUE(client->Receive(OpenRgbServer::DevicePollMs * 3));
    // Version 0 has no such notice: the next packet it gets is the answer it asks for.
    const auto count = v0->Request(OpenRgbProtocol::RequestControllerCount);
    ASSERT_TRUE(count);
    EXPECT_EQ(count->header.id, 0u);
}

} // namespace

#endif
