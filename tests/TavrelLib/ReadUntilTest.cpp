#include "HidFakeFixture.h"
#include "Link/HidLayer.h"
#include "Link/TavrelUsbDev.h"
#include "Protocol/ExecuteMessage.h"
#include "Protocol/FrameArrived.h"
#include "Protocol/Message.h"
#include "RecordingLink.h"

#include <memory>
#include <vector>

namespace {

constexpr std::uint16_t kVendor = 0x04D9;
constexpr std::uint16_t kProduct = 0x8008;
using ByteVec = std::vector<std::uint8_t>;

TEST(FrameArrivedTest, OnlyAWholeFrameCounts) {
    const ByteVec frame = WireFrame(0xFD, {0x01});
    EXPECT_TRUE(FrameArrived(frame.data(), static_cast<unsigned>(frame.size())));
    EXPECT_FALSE(FrameArrived(frame.data(), static_cast<unsigned>(frame.size() - 1)));
    ByteVec stray = {0x00, 0x17};
    stray.insert(stray.end(), frame.begin(), frame.end());
    EXPECT_TRUE(FrameArrived(stray.data(), static_cast<unsigned>(stray.size())));
    EXPECT_FALSE(FrameArrived(stray.data(), 0));
}

// The loader's acknowledgement: one short frame, here split over two reports, with another
// report behind it that a read stopping at the frame must not wait for.
class ReadUntilChannelTest : public HidFakeFixture {
protected:
    void SetUp() override {
        controller_ = fake_->Add(kVendor, kProduct);
        channel_ = std::make_unique<HidChannel>();
        channel_->readTimeout = 1000;
        HidChannelInit(channel_.get());
        ASSERT_EQ(HidOpen(channel_.get(), kVendor, kProduct, "", 1), HID_SUCCESS);
    }
    void TearDown() override { HidClose(channel_.get()); }

    void Queue(const ByteVec& bytes) { fake_->QueueInput(controller_, Input(bytes)); }
    void QueueSplitAck() {
        Queue(ByteVec(ack_.begin(), ack_.begin() + 9));
        Queue(ByteVec(ack_.begin() + 9, ack_.end()));
    }
    ByteVec Read(ReadComplete complete, HidResult expected) {
        ByteVec buffer(538, 0);
        unsigned delivered = 0;
        EXPECT_EQ(HidReadUntil(channel_.get(), buffer.data(), 538, &delivered, complete), expected);
        buffer.resize(delivered);
        return buffer;
    }

    const ByteVec ack_ = WireFrame(0xFD, {0x01});
    std::size_t controller_ = 0;
    std::unique_ptr<HidChannel> channel_;
};

TEST_F(ReadUntilChannelTest, StopsWithTheReportThatCompletesTheFrame) {
    QueueSplitAck();
    Queue(ByteVec(20, 0x33));
    EXPECT_EQ(Read(&FrameArrived, HID_SUCCESS), ack_);
    EXPECT_EQ(fake_->PendingInput(controller_), 1u);
}

TEST_F(ReadUntilChannelTest, WithoutACompleteFrameReadsOnUntilTheTimeOut) {
    Queue(ByteVec(ack_.begin(), ack_.begin() + 9));
    Queue(ByteVec(20, 0x33));
    ByteVec expected(ack_.begin(), ack_.begin() + 9);
    expected.insert(expected.end(), 20, 0x33);
    EXPECT_EQ(Read(&FrameArrived, HID_SUCCESS), expected);
    EXPECT_EQ(fake_->PendingInput(controller_), 0u);
}

TEST_F(ReadUntilChannelTest, WithoutATestItIsThePlainRead) {
    QueueSplitAck();
    Queue(ByteVec(20, 0x33));
    ByteVec expected = ack_;
    expected.insert(expected.end(), 20, 0x33);
    EXPECT_EQ(Read(nullptr, HID_SUCCESS), expected);
    // And the first wait timing out still gives nothing.
    EXPECT_TRUE(Read(&FrameArrived, HID_TIMEOUT).empty());
}

// Through the request: a read message that carries the test reaches the link's early read,
// which still ends with the link's flush; one without reads the whole length.
TEST_F(ReadUntilChannelTest, TheRequestCarriesTheTestToTheLink) {
    HidClose(channel_.get());
    UsbDeviceEntry table[1] = {{kVendor, kProduct, 0}};
    TavrelUsbDev link;
    link.SetDeviceTable(nullptr, table, 1);
    link.Scan();
    ASSERT_EQ(link.Open(0), 1);

    QueueSplitAck();
    Queue(ByteVec(20, 0x33));
    ByteVec buffer(538, 0);
    Message early;
    early.Set(Message::KindRead, buffer.data(), 538, &link, 0);
    early.SetCompletion(&FrameArrived);
    EXPECT_EQ(ExecuteMessage(&early), static_cast<int>(ack_.size()));
    EXPECT_EQ(fake_->PendingInput(controller_), 0u);
    EXPECT_EQ(fake_->Flushes(controller_), 1u);

    QueueSplitAck();
    Queue(ByteVec(20, 0x33));
    Message whole;
    whole.Set(Message::KindRead, buffer.data(), 538, &link, 0);
    EXPECT_EQ(whole.Completion(), nullptr);
    EXPECT_EQ(ExecuteMessage(&whole), static_cast<int>(ack_.size() + 20));

    // Set and Reset forget the test: a reused message reads whole again.
    early.Reset();
    EXPECT_EQ(early.Completion(), nullptr);
}

} // namespace
