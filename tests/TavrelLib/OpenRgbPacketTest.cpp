// The packets the SDK server answers, byte by byte, against OpenRGB's protocol tables.
#ifdef GLIMRA_HAVE_SIMULATOR

#include "OpenRgb/OpenRgbDeviceModel.h"
#include "OpenRgbServerFixture.h"
#include "OpenRgbTableDecoder.h"

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray U32(quint32 value) {
    OpenRgbWriter w;
    w.U32(value);
    return w.Bytes();
}

class OpenRgbPacketTest : public OpenRgbServerFixture {
protected:
    // Blue at level 4 in Breathing, lights on: set on the holder as the window would.
    void ShowBlueBreathingAtHalf() {
        holder->ClickMode(0);
        if (!holder->View().on)
            holder->ClickSwitch();
        holder->ClickSwatch(4);
        holder->StepToLevel(4);
        holder->ClickMode(2);
        ASSERT_EQ(holder->View().level, 4u);
    }

    OpenRgbTableDecoder::Device ReadDevice(OpenRgbTestClient& client, quint32 version) {
        const auto reply = client.Request(OpenRgbProtocol::RequestControllerData, U32(version));
        EXPECT_TRUE(reply);
        if (!reply)
            return {};
        EXPECT_EQ(reply->header.id, OpenRgbProtocol::RequestControllerData);
        OpenRgbTableDecoder decoder(reply->payload, version);
        const auto device = decoder.Decode();
        EXPECT_TRUE(decoder.Ok()) << "version " << version;
        EXPECT_TRUE(decoder.AtEnd()) << "version " << version;
        EXPECT_EQ(device.dataSize, static_cast<quint32>(reply->payload.size()));
        return device;
    }
};

TEST_F(OpenRgbPacketTest, VersionCountAndListsAreAnsweredWithTheTablesBytes) {
    OpenRgbTestClient client;
    ASSERT_TRUE(client.Connect(server->Port()));
    // Raw bytes, each reply a whole packet in one piece that echoes the device index.
    const struct {
        quint32 id;
        QByteArray payload;
        quint32 device;
        QByteArray reply;
    } cases[] = {
        {40, U32(5), 0, Hex("4f52474200000000280000000400000004000000")},
        {40, U32(2), 3, Hex("4f52474203000000280000000400000004000000")},
        {0, {}, 0, Hex("4f52474200000000000000000400000001000000")},
        {0, {}, 9, Hex("4f52474209000000000000000400000001000000")},
        {150, {}, 0, Hex("4f524742000000009600000006000000060000000000")},
        {200, {}, 0, Hex("4f52474200000000c800000006000000060000000000")},
    };
    for (const auto& c : cases) {
        client.Send(c.id, c.payload, c.device);
        const auto reply = client.Receive();
        ASSERT_TRUE(reply) << "id " << c.id;
        EXPECT_EQ(OpenRgbWriter::Packet(reply->header.deviceIndex, reply->header.id, reply->payload)
                      .toHex(),
                  c.reply.toHex())
            << "id " << c.id;
    }
    // Requests without a reply are taken in silence; the next request is answered next.
    client.Send(OpenRgbProtocol::SetClientName, QByteArray("tester", 7));
    client.Send(OpenRgbProtocol::SaveProfile, QByteArray("p", 2));
    client.Send(OpenRgbProtocol::LoadProfile, QByteArray("p", 2));
    client.Send(OpenRgbProtocol::DeleteProfile, QByteArray("p", 2));
    client.Send(12345);
    const auto count = client.Request(OpenRgbProtocol::RequestControllerCount);
    ASSERT_TRUE(count);
    EXPECT_EQ(count->header.id, 0u);
    EXPECT_EQ(count->payload, U32(1));
}

TEST_F(OpenRgbPacketTest, DeviceDataFollowsTheTableInEveryVersion) {
    ShowBlueBreathingAtHalf();
    const char* names[] = {"Static",       "Flashing",     "Breathing", "Spectrum Cycle",
                           "Static Cycle", "Breath Cycle", "Off"};
    qsizetype previousSize = 0;
    for (quint32 version = 0; version <= 4; ++version) {
        SCOPED_TRACE("version " + std::to_string(version));
        auto client = Client(version);
        const auto d = ReadDevice(*client, version);
        EXPECT_EQ(d.type, 11);
        EXPECT_EQ(d.name, "Glimra Lighting Controller");
        EXPECT_EQ(d.vendor, version >= 1 ? QByteArray("Glimra") : QByteArray());
        EXPECT_EQ(d.version, "1.0.2");
        EXPECT_EQ(d.location, "HID: 04D9:8008");
        ASSERT_EQ(d.modes.size(), 7u);
        EXPECT_EQ(d.activeMode, 2);
        for (int i = 0; i < 7; ++i) {
            const auto& m = d.modes[i];
            EXPECT_EQ(m.name, names[i]);
            EXPECT_EQ(m.value, i);
            const bool colour = i <= 2;
            EXPECT_EQ(m.flags, colour ? 0x250u : 0x200u) << names[i];
            EXPECT_EQ(m.speedMin + m.speedMax + m.speed + m.direction, 0u);
            EXPECT_EQ(m.brightnessMin, colour && version >= 3 ? 1u : 0u);
            EXPECT_EQ(m.brightnessMax, colour && version >= 3 ? 8u : 0u);
            EXPECT_EQ(m.brightness, colour && version >= 3 ? 4u : 0u);
            EXPECT_EQ(m.coloursMin, colour ? 1u : 0u);
            EXPECT_EQ(m.coloursMax, colour ? 1u : 0u);
            EXPECT_EQ(m.colourMode, colour ? 2u : 0u);
            ASSERT_EQ(m.colours.size(), colour ? 1u : 0u);
            if (colour) {
                EXPECT_EQ(m.colours[0].r + m.colours[0].g + m.colours[0].pad, 0);
                EXPECT_EQ(m.colours[0].b, 0xFF);
            }
        }
        EXPECT_EQ(d.zoneCount, 1);
        EXPECT_EQ(d.zoneName, "Lighting");
        EXPECT_EQ(d.zoneType, 0);
        EXPECT_EQ(d.ledsMin + d.ledsMax + d.ledsCount, 3u);
        EXPECT_EQ(d.matrixLength, 0);
        EXPECT_EQ(d.segmentCount, version >= 4 ? 0 : -1);
        EXPECT_EQ(d.ledCount, 1);
        EXPECT_EQ(d.ledName, "LED");
        ASSERT_EQ(d.colours.size(), 1u);
        // The swatch at level 4 of 8, as the controller holds it.
        EXPECT_EQ(d.colours[0].r, 0);
        EXPECT_EQ(d.colours[0].g, 0);
        EXPECT_EQ(d.colours[0].b, 0x80);
        // Each version adds exactly its fields: vendor (2 + 7), 3 u32 in each of 7 modes,
        // the zone's segment count.
        const qsizetype size = static_cast<qsizetype>(d.dataSize);
        const qsizetype added[] = {0, 9, 0, 84, 2};
        if (version > 0) {
            EXPECT_EQ(size - previousSize, added[version]);
        }
        previousSize = size;
    }
}

TEST_F(OpenRgbPacketTest, NoLaterEncodingThanAgreedAndOffIsTheActiveModeWhenDark) {
    ShowBlueBreathingAtHalf();
    holder->ClickSwitch();
    ASSERT_FALSE(holder->View().on);
    // Agreed 2; asking for 4 still gets 2's layout.
    auto client = Client(2);
    const auto reply = client->Request(OpenRgbProtocol::RequestControllerData, U32(4));
    ASSERT_TRUE(reply);
    OpenRgbTableDecoder decoder(reply->payload, 2);
    const auto d = decoder.Decode();
    EXPECT_TRUE(decoder.Ok() && decoder.AtEnd());
    EXPECT_EQ(d.activeMode, 6);
    ASSERT_EQ(d.colours.size(), 1u);
    EXPECT_EQ(d.colours[0].r + d.colours[0].g + d.colours[0].b, 0);

    // A client that never agreed gets version 0, whatever it names.
    OpenRgbTestClient bare;
    ASSERT_TRUE(bare.Connect(server->Port()));
    const auto old = bare.Request(OpenRgbProtocol::RequestControllerData, U32(3));
    ASSERT_TRUE(old);
    OpenRgbTableDecoder v0(old->payload, 0);
    v0.Decode();
    EXPECT_TRUE(v0.Ok() && v0.AtEnd());
}

TEST(OpenRgbDeviceModelTest, ColoursFindTheirSwatchAndLevel) {
    const struct {
        RgbColour colour;
        int swatch;
        unsigned level;
    } cases[] = {
        {{0, 0, 0}, 0, 0},       {{0, 0, 255}, 4, 8},        {{0, 0, 0x80}, 4, 4},
        {{255, 0, 0}, 1, 8},     {{32, 0, 0}, 1, 1},         {{1, 0, 0}, 1, 1},
        {{255, 255, 255}, 2, 8}, {{128, 128, 128}, 2, 4},    {{0, 200, 210}, 3, 7},
        {{0, 255, 0}, 5, 8},     {{255, 190, 10}, 6, 8},     {{255, 70, 0}, 7, 8},
        {{255, 0, 170}, 8, 8},   {{0x40, 0x00, 0xFF}, 4, 8}, {{223, 0, 0}, 1, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.colour.red) + "," + std::to_string(c.colour.green) + "," +
                     std::to_string(c.colour.blue));
        EXPECT_EQ(OpenRgbDeviceModel::NearestSwatch(c.colour), c.swatch);
        EXPECT_EQ(OpenRgbDeviceModel::LevelForValue(c.colour), c.level);
    }
}

} // namespace

#endif
