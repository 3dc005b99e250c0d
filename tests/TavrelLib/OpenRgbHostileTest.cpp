// Hostile clients: each bad packet ends its own connection, and everyone else is still served.
#ifdef GLIMRA_HAVE_SIMULATOR

#include "OpenRgbServerFixture.h"

#include <algorithm>

namespace {

QByteArray Header(const char* magic, quint32 device, quint32 id, quint32 size) {
    QByteArray bytes = OpenRgbWriter::Packet(device, id, {});
    bytes.replace(0, 4, QByteArray(magic, 4));
    qToLittleEndian(size, bytes.data() + 12);
    return bytes;
}

QByteArray Packet(quint32 id, const QByteArray& payload, quint32 device = 0) {
    return OpenRgbWriter::Packet(device, id, payload);
}

QByteArray Words(std::initializer_list<quint32> words) {
    OpenRgbWriter w;
    for (quint32 word : words)
        w.U32(word);
    return w.Bytes();
}

// UPDATELEDS / UPDATEZONELEDS bodies with a size field, a count and the colours given.
QByteArray Leds(quint32 size, std::optional<quint32> zone, quint16 count, int colours) {
    OpenRgbWriter w;
    w.U32(size);
    if (zone)
        w.U32(*zone);
    w.U16(count);
    for (int i = 0; i < colours; ++i)
        w.Colour({0, 0, 255});
    return w.Bytes();
}

// UPDATEMODE for protocol 4 with a mode index and a name length that may lie.
QByteArray Mode(qint32 index, quint16 nameLength = 7, quint16 colourCount = 1) {
    OpenRgbWriter w;
    const qsizetype block = w.BeginBlock();
    w.I32(index);
    QByteArray rest;
    {
        OpenRgbWriter r;
        r.U16(nameLength);
        rest = r.Bytes() + QByteArray("Static", 7);
    }
    QByteArray bytes = w.Bytes() + rest;
    OpenRgbWriter tail;
    for (int i = 0; i < 12; ++i)
        tail.U32(i == 0 ? static_cast<quint32>(index) : 0);
    tail.U16(colourCount);
    tail.Colour({255, 0, 0});
    bytes += tail.Bytes();
    qToLittleEndian(static_cast<quint32>(bytes.size()), bytes.data() + block);
    return bytes;
}

class OpenRgbHostileTest : public OpenRgbServerFixture {
protected:
    void SetUp() override {
        OpenRgbServerFixture::SetUp();
        if (HasFatalFailure())
            return;
        good = Client();
    }

    // The good client still gets its answer.
    void ExpectGoodServed() {
        const auto reply = good->Request(OpenRgbProtocol::RequestControllerData, Words({4}));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->header.id, OpenRgbProtocol::RequestControllerData);
        EXPECT_GT(reply->payload.size(), 100);
    }

    std::unique_ptr<OpenRgbTestClient> good;
};

TEST_F(OpenRgbHostileTest, EachMalformedPacketClosesOnlyItsConnection) {
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"bad magic", Header("ORGX", 0, 0, 0)},
        {"lower-case magic", Header("orgb", 0, 40, 4) + Words({4})},
        {"4 GiB size", Header("ORGB", 0, 1050, 0xFFFFFFFF)},
        {"size one over the cap", Header("ORGB", 0, 50, OpenRgbProtocol::MaxPayloadSize + 1)},
        {"controller data for device 1", Packet(1, Words({4}), 1)},
        {"update for a device that does not exist", Packet(1050, Leds(10, {}, 1, 1), 7)},
        {"colour count past the packet", Packet(1050, Leds(10, {}, 1, 0))},
        {"size field past the packet", Packet(1050, Leds(64, {}, 1, 1))},
        {"two colours for one LED", Packet(1050, Leds(14, {}, 2, 2))},
        {"zone 1", Packet(1051, Leds(14, 1, 1, 1))},
        {"zone update cut short", Packet(1051, Words({10}) + QByteArray(2, 0))},
        {"single LED 1", Packet(1052, Words({1, 0x00FF0000}))},
        {"single LED -1", Packet(1052, Words({0xFFFFFFFF, 0x00FF0000}))},
        {"single LED without colour", Packet(1052, Words({0}))},
        {"resize zone 3", Packet(1000, Words({3, 1}))},
        {"mode 7", Packet(1101, Mode(7))},
        {"mode -1", Packet(1101, Mode(-1))},
        {"save mode 0x7FFFFFFF", Packet(1102, Mode(0x7FFFFFFF))},
        {"mode name past the block", Packet(1101, Mode(0, 4000))},
        {"mode colours past the block", Packet(1101, Mode(0, 7, 500))},
        {"mode block size past the packet", Packet(1101, Words({400, 0}))},
        {"mode block size under its index", Packet(1101, Words({4, 0}))},
    };
    const std::size_t mark = simulator->Trace().size();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpenRgbTestClient bad;
        ASSERT_TRUE(bad.Connect(server->Port()));
        OpenRgbWriter version;
        version.U32(4);
        ASSERT_TRUE(bad.Request(OpenRgbProtocol::RequestProtocolVersion, version.Bytes()));
        bad.SendRaw(c.bytes);
        EXPECT_TRUE(bad.WaitClosed());
        ExpectGoodServed();
    }
    // None of them reached the controller.
    EXPECT_TRUE(FramesSince(mark).empty());
    EXPECT_EQ(server->ConnectionCount(), 1);
}

TEST_F(OpenRgbHostileTest, AStalledPacketTimesOutWithoutHoldingUpOthers) {
    server->SetStallTimeout(300);
    OpenRgbTestClient header;
    OpenRgbTestClient payload;
    ASSERT_TRUE(header.Connect(server->Port()));
    ASSERT_TRUE(payload.Connect(server->Port()));
    header.SendRaw(QByteArray("ORGB\0\0\0", 7));
    payload.SendRaw(Header("ORGB", 0, 40, 4) + QByteArray(2, 0));
    // Served while both hang.
    ExpectGoodServed();
    EXPECT_TRUE(header.IsConnected());
    EXPECT_TRUE(header.WaitClosed());
    EXPECT_TRUE(payload.WaitClosed());
    ExpectGoodServed();

    // Idle between packets is no stall: the connection stays.
    OpenRgbTestClient idle;
    ASSERT_TRUE(idle.Connect(server->Port()));
    EXPECT_FALSE(idle.WaitClosed(600));
    ASSERT_TRUE(idle.Request(OpenRgbProtocol::RequestControllerCount));
}

TEST_F(OpenRgbHostileTest, IdleConnectionsBeyondTheBoundAreRefused) {
    std::vector<std::unique_ptr<OpenRgbTestClient>> idle;
    for (int i = 0; i < 64; ++i) {
        idle.push_back(std::make_unique<OpenRgbTestClient>());
        idle.back()->Socket().connectToHost(QHostAddress::LocalHost, server->Port());
    }
    // The good client holds one place; everyone past the bound is closed at once.
    const auto closed = [&] {
        return std::count_if(idle.begin(), idle.end(), [](const auto& client) {
            return client->Socket().state() == QAbstractSocket::UnconnectedState;
        });
    };
    EXPECT_TRUE(
        DispatchUntil([&] { return closed() == 64 - (OpenRgbServer::MaxConnections - 1); }));
    EXPECT_EQ(server->ConnectionCount(), OpenRgbServer::MaxConnections);
    ExpectGoodServed();

    // Once they leave, newcomers are served again.
    idle.clear();
    ASSERT_TRUE(DispatchUntil([&] { return server->ConnectionCount() == 1; }));
    auto late = Client();
    ASSERT_TRUE(late->Request(OpenRgbProtocol::RequestControllerCount));
}

TEST_F(OpenRgbHostileTest, AClientThatNeverReadsIsDropped) {
    OpenRgbTestClient flood;
    ASSERT_TRUE(flood.Connect(server->Port()));
    // Far more replies (about 25 MB) than the socket buffers on both sides hold.
    const QByteArray request = Packet(1, Words({0}));
    flood.Socket().write(request.repeated(40000));
    const bool dropped = flood.WaitClosed(20000);
    EXPECT_TRUE(dropped);
    ExpectGoodServed();
}

TEST_F(OpenRgbHostileTest, CloseDropsEveryClientAndListenTakesThemAgain) {
    const quint16 port = server->Port();
    server->Close();
    EXPECT_FALSE(server->IsListening());
    EXPECT_TRUE(good->WaitClosed());
    EXPECT_EQ(server->ConnectionCount(), 0);
    QString error;
    ASSERT_TRUE(server->Listen(QStringLiteral("127.0.0.1"), port, &error)) << error.toStdString();
    auto again = Client();
    ASSERT_TRUE(again->Request(OpenRgbProtocol::RequestControllerCount));

    // A port that is taken is refused with a reason.
    OpenRgbServer second(*holder);
    EXPECT_FALSE(second.Listen(QStringLiteral("127.0.0.1"), port, &error));
    EXPECT_TRUE(error.contains(QString::number(port))) << error.toStdString();
}

} // namespace

#endif
