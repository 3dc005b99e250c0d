#include "Protocol/ControllerProtocol.h"
#include "Protocol/CommandCodes.h"
#include "Protocol/FrameArrived.h"
#include "Protocol/Packet.h"
#include "Protocol/TrRequestWindow.h"
#include "RecordingLink.h"

#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Query(std::uint8_t selector) {
    return WireFrame(CmdQuery, {selector});
}

// Three LEDs and two handles; handle 0 drives LEDs 0 and 2.
const Bytes LayoutBody = {0xFF, 0x00, 0x00, 1,    1,                                  //
                          0x00, 0xFF, 0x00, 2,    1,                                  //
                          0x00, 0x00, 0xFF, 3,    1,                                  //
                          4,    0,    0xFF, 0x0D, 0x18, 0x04, 0x07, 1, 0x00, 0x05, 1, //
                          0,    3,    0x00, 0x00, 0x00, 0x07, 0x0D, 0, 0x00, 0x02, 0};

class ControllerProtocolTest : public ::testing::Test {
protected:
    void SetUp() override { protocol.Attach(&link, &window); }

    // Puts a known layout into the model without going through the link.
    void PreloadModel() {
        ASSERT_TRUE(protocol.Model().Load(LayoutBody.data(), LayoutBody.size(), 3, 2, 0));
    }

    // Every query is a write with a read right behind it that may stop at the reply's frame.
    void ExpectReadsStopAtTheFrame() {
        for (std::size_t i = 0; i < link.calls.size(); ++i) {
            EXPECT_EQ(link.calls[i].write, i % 2 == 0) << "call " << i;
            if (!link.calls[i].write) {
                EXPECT_EQ(link.calls[i].complete, &FrameArrived) << "call " << i;
            }
        }
    }

    RecordingLink link;
    TrRequestWindow window;
    ControllerProtocol protocol;
};

struct CommandCase {
    const char* name;
    std::function<int(ControllerProtocol&)> send;
    Bytes frame;
};

class ControllerCommandTest : public ControllerProtocolTest,
                              public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ControllerCommandTest, SendsThePayloadByteForByte) {
    const CommandCase& c = GetParam();
    EXPECT_EQ(c.send(protocol), 1);
    ASSERT_EQ(link.writes.size(), 1u);
    EXPECT_EQ(link.writes[0], c.frame);
    EXPECT_TRUE(link.ReadLengths().empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, ControllerCommandTest,
                         ::testing::Values(CommandCase{"SetColor",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetColor(0, 0xFF, 0x00, 0x00,
                                                                             1);
                                                       },
                                                       {0xFF, 0xAA, 0x00, 0x00, 0x31, 0x2E, 0x30,
                                                        0x00, 0x04, 0x00, 0x05, 0x00, 0xFF, 0x00,
                                                        0x00, 0x01, 0xFF, 0x55}},
                                           CommandCase{"SetColorHandle3",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetColor(3, 0x12, 0x34, 0x56,
                                                                             0);
                                                       },
                                                       WireFrame(CmdSetColor,
                                                                 {0x03, 0x12, 0x34, 0x56, 0x01})},
                                           CommandCase{"SetEnableOn",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEnable(0, 1);
                                                       },
                                                       WireFrame(CmdSetEnable, {0x00, 0x01})},
                                           CommandCase{"SetEnableAnyNonzero",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEnable(2, 5);
                                                       },
                                                       WireFrame(CmdSetEnable, {0x02, 0x01})},
                                           CommandCase{"SetEnableOff",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEnable(0, 0);
                                                       },
                                                       WireFrame(CmdSetEnable, {0x00, 0x00})},
                                           CommandCase{
                                               "SetElementsAll",
                                               [](ControllerProtocol& p) {
                                                   return p.SetElements(0, 0xFFFF, 1);
                                               },
                                               WireFrame(CmdSetElements, {0x00, 0xFF, 0xFF, 0x01})},
                                           CommandCase{
                                               "SetElementsRemove",
                                               [](ControllerProtocol& p) {
                                                   return p.SetElements(3, 0x1234, 0);
                                               },
                                               WireFrame(CmdSetElements, {0x03, 0x12, 0x34, 0x00})},
                                           CommandCase{"SetEffectStrobe",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEffect(0, 4, 1031, 3352,
                                                                              0xFF, 0, 1);
                                                       },
                                                       WireFrame(CmdSetEffect,
                                                                 {0x00, 0x04, 0x04, 0x07, 0x0D,
                                                                  0x18, 0x00, 0x00, 0x01})},
                                           CommandCase{"SetEffectBreathCycle",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEffect(0, 1, 1805, 132, 0, 3,
                                                                              1);
                                                       },
                                                       WireFrame(CmdSetEffect,
                                                                 {0x00, 0x01, 0x07,
                                                                  0x0D, 0x00, 0x84, 0x03, 0x01, 0x01})},
                                           CommandCase{"SetEffectStaticCycle",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEffect(0, 3, 1805, 0x6800,
                                                                              0xFF, 0, 1);
                                                       },
                                                       WireFrame(CmdSetEffect,
                                                                 {0x00, 0x03, 0x07,
                                                                  0x0D, 0x68, 0x00, 0x00, 0x00, 0x01})},
                                           CommandCase{"SetEffectReference7",
                                                       [](ControllerProtocol& p) {
                                                           return p.SetEffect(1, 0, 0, 0, 7, 0, 0);
                                                       },
                                                       WireFrame(CmdSetEffect,
                                                                 {0x01, 0x00, 0x00,
                                                                  0x00, 0x00, 0x00, 0x00, 0x80, 0x00})},
                                           // Outside 0-7 there is no bit to send; direction is sent
                                           // as 0 or 1.
                                           CommandCase{
                                               "SetEffectReferenceOutOfRange",
                                               [](ControllerProtocol& p) {
                                                   return p.SetEffect(0, 2, 1, 2, 9, 0, 5);
                                               },
                                               WireFrame(CmdSetEffect, {0x00, 0x02, 0x00, 0x01,
                                                                        0x00, 0x02, 0x00, 0x00, 0x01})},
                                           CommandCase{"RestoreDefaults",
                                                       [](ControllerProtocol& p) {
                                                           return p.RestoreDefaults();
                                                       },
                                                       WireFrame(CmdRestoreDefaults, {0x10})},
                                           CommandCase{
                                               "LeaveUpgradeMode",
                                               [](ControllerProtocol&
                                                      p) { return p.LeaveUpgradeMode(); },
                                               {0xFF, 0xAA, 0x00, 0x00,
                                                0x31, 0x2E, 0x30, 0x00, 0xFE, 0x00, 0x01, 0x10, 0xFF, 0x55}},
                                           CommandCase{"SendEnterUpgradeMode",
                                                       [](ControllerProtocol& p) {
                                                           const std::uint8_t payload =
                                                               SingleBytePayload;
                                                           return p.Send(CmdEnterUpgradeMode,
                                                                         &payload, 1);
                                                       },
                                                       WireFrame(CmdEnterUpgradeMode, {0x10})}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerProtocolTest, SettingsUpdateTheModelEvenWhenNothingIsSent) {
    PreloadModel();
    link.open = 0;
    LightingModel& model = protocol.Model();

    EXPECT_EQ(protocol.SetColor(0, 0x11, 0x22, 0x33, 1), 1);
    EXPECT_EQ(model.LedRecordAt(0)->green, 0x22);
    EXPECT_EQ(model.LedRecordAt(2)->blue, 0x33);
    EXPECT_EQ(model.LedRecordAt(1)->green, 0xFF);
    EXPECT_EQ(protocol.SetColor(0, 0x44, 0x55, 0x66, 0), 1);
    EXPECT_EQ(model.LedRecordAt(0)->red, 0x11);

    EXPECT_EQ(protocol.SetEnable(1, 1), 1);
    EXPECT_EQ(model.GetEnable(1), 1);
    EXPECT_EQ(protocol.SetElements(1, 0x0001, 1), 1);
    EXPECT_EQ(model.HandleRecordAt(1)->ElementMask(), 0x0003);
    EXPECT_EQ(protocol.SetEffect(1, 1, 1805, 132, 0, 3, 1), 1);
    EXPECT_EQ(model.GetMode(1), 1);
    EXPECT_EQ(model.GetReferenceMode(1), 3);
    // The model keeps the reference handle itself, not the bit sent for it.
    EXPECT_EQ(model.HandleRecordAt(1)->referenceId, 0);
    EXPECT_EQ(model.HandleRecordAt(1)->Period(), 1805);
    EXPECT_EQ(model.HandleRecordAt(1)->Speed(), 132);

    EXPECT_TRUE(link.writes.empty());
    EXPECT_EQ(link.calls.size(), 5u);
}

TEST_F(ControllerProtocolTest, UpgradeBlockCarriesItsCrcHighByteFirst) {
    Bytes payload(100);
    std::iota(payload.begin(), payload.end(), 0);
    // CRC-16/ARC of bytes 0..99.
    payload.push_back(0xDF);
    payload.push_back(0xEA);
    Packet packet;
    packet.Clear();
    packet.Encode(CmdUpgradeBlock, payload.data(), static_cast<std::uint16_t>(payload.size()), 0);
    EXPECT_EQ(protocol.SendPacket(packet), 1);
    packet.Release();
    ASSERT_EQ(link.writes.size(), 1u);
    ASSERT_EQ(link.writes[0].size(), 115u);
    EXPECT_EQ(link.writes[0][9], 0x00);
    EXPECT_EQ(link.writes[0][10], 102);
    EXPECT_EQ(link.writes[0], WireFrame(CmdUpgradeBlock, payload));
}

TEST_F(ControllerProtocolTest, ReadRawReturnsTheBytesDelivered) {
    link.replies.push_back({0x01, 0x02});
    std::uint8_t buffer[538] = {};
    EXPECT_EQ(protocol.ReadRaw(buffer, sizeof buffer), 2);
    EXPECT_EQ(link.ReadLengths(), std::vector<unsigned>{538});
    EXPECT_EQ(buffer[1], 0x02);
    EXPECT_EQ(protocol.ReadRaw(buffer, 1), 0);
}

TEST(ControllerProtocolUnattachedTest, SendsNothingWithoutOwner) {
    RecordingLink link;
    TrRequestWindow window;
    ControllerProtocol protocol;
    EXPECT_EQ(protocol.RestoreDefaults(), 1);
    std::uint8_t buffer[4];
    EXPECT_EQ(protocol.ReadRaw(buffer, 4), 0);
    // An owner whose executor was never installed answers 0 as well.
    protocol.Attach(&link, nullptr);
    EXPECT_EQ(protocol.ReadRaw(buffer, 4), 0);
    EXPECT_TRUE(link.calls.empty());
    EXPECT_EQ(window.Executor(), nullptr);
}

TEST_F(ControllerProtocolTest, ReadLayoutAsksForTheAnnouncedBody) {
    link.replies.push_back(
        WireFrame(CmdQuery, {0x00, 0x05, 0x00, 0x03, 0x00, 0x0B, 0x00, 0x02, 0x00}));
    link.replies.push_back(WireFrame(CmdQuery, LayoutBody));
    ASSERT_EQ(protocol.ReadLayout(), 1);
    ASSERT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0], Query(QueryLayoutHeader));
    EXPECT_EQ(link.writes[1], Query(QueryLayoutBody));
    EXPECT_EQ(link.ReadLengths(), (std::vector<unsigned>{9 + 13, 37 + 13}));
    ExpectReadsStopAtTheFrame();

    const LightingModel& model = protocol.Model();
    EXPECT_EQ(model.LedCount(), 3);
    EXPECT_EQ(model.HandleCount(), 2);
    EXPECT_EQ(model.GetMode(0), 4);
    EXPECT_EQ(model.HandleRecordAt(0)->ElementMask(), 0x0005);
    EXPECT_EQ(model.LedRecordAt(2)->blue, 0xFF);
}

TEST_F(ControllerProtocolTest, ReadLayoutWithSecondSetAsksForTwiceTheBody) {
    Bytes body = Concat({Bytes(LayoutBody.begin(), LayoutBody.begin() + 15), Bytes(15, 0x77),
                         Bytes(LayoutBody.begin() + 15, LayoutBody.end()), Bytes(22, 0x66)});
    ASSERT_EQ(body.size(), 74u);
    link.replies.push_back(
        WireFrame(CmdQuery, {0x01, 0x05, 0x00, 0x03, 0x00, 0x0B, 0x00, 0x02, 0x00}));
    link.replies.push_back(WireFrame(CmdQuery, body));
    ASSERT_EQ(protocol.ReadLayout(), 1);
    EXPECT_EQ(link.ReadLengths(), (std::vector<unsigned>{22, 74 + 13}));
    const LightingModel& model = protocol.Model();
    EXPECT_EQ(model.SecondSet(), 1);
    EXPECT_EQ(model.LedRecordAt(0)->red, 0xFF);
    EXPECT_EQ(model.LedRecordAt(0, true)->red, 0x77);
    EXPECT_EQ(model.GetMode(0), 4);
    EXPECT_EQ(model.HandleRecordAt(1, true)->mode, 0x66);
}

TEST_F(ControllerProtocolTest, ReadLayoutWithSmallRecordsFailsAndKeepsTheModel) {
    PreloadModel();
    // Record sizes 4 and 10: a 32-byte body cannot hold the 5- and 11-byte tables.
    link.replies.push_back(
        WireFrame(CmdQuery, {0x00, 0x04, 0x00, 0x03, 0x00, 0x0A, 0x00, 0x02, 0x00}));
    link.replies.push_back(WireFrame(CmdQuery, Bytes(32, 0x99)));
    EXPECT_EQ(protocol.ReadLayout(), 0);
    EXPECT_EQ(link.ReadLengths(), (std::vector<unsigned>{22, 32 + 13}));
    EXPECT_EQ(protocol.Model().LedRecordAt(0)->red, 0xFF);
    EXPECT_EQ(protocol.Model().GetMode(0), 4);
}

TEST_F(ControllerProtocolTest, ReadLayoutWithoutBodyReplyKeepsTheModel) {
    PreloadModel();
    link.replies.push_back(
        WireFrame(CmdQuery, {0x00, 0x05, 0x00, 0x01, 0x00, 0x0B, 0x00, 0x00, 0x00}));
    // A frame whose end mark is broken is no reply.
    Bytes broken = WireFrame(CmdQuery, {1, 2, 3, 4, 5});
    broken.back() = 0x54;
    link.replies.push_back(broken);
    EXPECT_EQ(protocol.ReadLayout(), 0);
    EXPECT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(protocol.Model().LedCount(), 3);
}

TEST_F(ControllerProtocolTest, ReadLayoutWithoutHeaderReplyStopsAfterOneExchange) {
    EXPECT_EQ(protocol.ReadLayout(), 0);
    EXPECT_EQ(link.writes.size(), 1u);
    EXPECT_EQ(link.ReadLengths(), std::vector<unsigned>{22});
}

TEST_F(ControllerProtocolTest, ReadLayoutRefusesABodyNoFrameCanCarry) {
    PreloadModel();
    link.replies.push_back(
        WireFrame(CmdQuery, {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(protocol.ReadLayout(), 0);
    EXPECT_EQ(link.writes.size(), 1u);
    EXPECT_EQ(protocol.Model().LedCount(), 3);
}

TEST_F(ControllerProtocolTest, ReadVersionReadsTheAnnouncedLength) {
    link.replies.push_back(WireFrame(CmdQuery, {0x05, 0x00}));
    link.replies.push_back(WireFrame(CmdQuery, {'1', '.', '0', '.', '7'}));
    ASSERT_EQ(protocol.ReadVersion(), 1);
    ASSERT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0], Query(QueryVersionLength));
    EXPECT_EQ(link.writes[1], Query(QueryVersionText));
    EXPECT_EQ(link.ReadLengths(), (std::vector<unsigned>{2 + 13, 5 + 13}));
    EXPECT_EQ(protocol.Model().VersionText(), "1.0.7");
    ExpectReadsStopAtTheFrame();
}

TEST_F(ControllerProtocolTest, ReadVersionLengthIsLowByteFirst) {
    Bytes text(256);
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<std::uint8_t>('A' + i % 26);
    link.replies.push_back(WireFrame(CmdQuery, {0x00, 0x01}));
    link.replies.push_back(WireFrame(CmdQuery, text));
    ASSERT_EQ(protocol.ReadVersion(), 1);
    EXPECT_EQ(link.ReadLengths(), (std::vector<unsigned>{15, 256 + 13}));
    EXPECT_EQ(protocol.Model().VersionText(), std::string(text.begin(), text.end()));
}

TEST_F(ControllerProtocolTest, TransactFindsAReplyBehindStrayBytes) {
    Packet request;
    request.Clear();
    const std::uint8_t selector = QueryVersionLength;
    request.Encode(CmdQuery, &selector, 1, 0);

    // Two stray bytes and a 2-byte reply fill the 4 + 13 bytes read exactly.
    link.replies.push_back(Concat({{0x00, 0xAA}, WireFrame(0x01, {0x34, 0x12})}));
    std::uint8_t reply[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(protocol.Transact(request, reply, 4), 1);
    EXPECT_EQ(Bytes(reply, reply + 4), (Bytes{0x34, 0x12, 0xEE, 0xEE}));

    // One stray byte more pushes the end mark past what is read.
    link.replies.push_back(Concat({{0x00, 0xAA, 0x00}, WireFrame(0x01, {0x34, 0x12})}));
    EXPECT_EQ(protocol.Transact(request, reply, 4), 0);
    request.Release();
    EXPECT_EQ(link.ReadLengths(), (std::vector<unsigned>{17, 17}));
}

TEST_F(ControllerProtocolTest, TransactNeverCopiesMoreThanTheReplyArea) {
    Packet request;
    request.Clear();
    const std::uint8_t selector = QueryLayoutBody;
    request.Encode(CmdQuery, &selector, 1, 0);
    // The frame declares far more than the 537 bytes a frame can carry, and is still accepted.
    link.replies.push_back(WireFrame(CmdQuery, Bytes(537, 0x42), 0xFFFF));
    Bytes reply(600, 0xEE);
    EXPECT_EQ(protocol.Transact(request, reply.data(), static_cast<unsigned>(reply.size())), 1);
    request.Release();
    EXPECT_EQ(reply[536], 0x42);
    EXPECT_EQ(reply[537], 0x00);
    EXPECT_EQ(reply[599], 0x00);
}

TEST(ControllerProtocolThreadTest, WorkerRequestsRunOnTheOwnersThread) {
    RecordingLink link;
    TrRequestWindow window;
    ControllerProtocol protocol;
    protocol.Attach(&link, &window);
    link.replies.push_back({1, 2, 3, 4});

    int readResult = -1;
    std::uint8_t buffer[8] = {};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            protocol.SetEnable(static_cast<std::uint8_t>(i), i % 2);
        readResult = protocol.ReadRaw(buffer, sizeof buffer);
        finished = true;
    });
    // The owner's thread keeps dispatching until the worker is through; the loop is ended from
    // this thread so that only the requests themselves cross threads.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (finished)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    worker.join();

    EXPECT_EQ(readResult, 4);
    EXPECT_EQ(buffer[3], 4);
    ASSERT_EQ(link.calls.size(), 21u);
    for (const RecordingLink::Call& call : link.calls)
        EXPECT_EQ(call.thread, std::this_thread::get_id());
    ASSERT_EQ(link.writes.size(), 20u);
    // One at a time, in the order sent.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(link.writes[static_cast<std::size_t>(i)],
                  WireFrame(CmdSetEnable,
                            {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i % 2)}));
}

} // namespace
