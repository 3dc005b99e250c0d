#include "Protocol/CommMessages.h"
#include "Protocol/ExecuteMessage.h"
#include "Protocol/Message.h"
#include "Protocol/TrHandler.h"
#include "Protocol/TrRequestSide.h"
#include "Protocol/TrRequestWindow.h"
#include "RecordingLink.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A request target that records what it is told, standing in for the main window.
class RecordingTarget : public fw::Window, public TrRequestSide {
public:
    RecordingTarget() : TrRequestSide(static_cast<fw::Window&>(*this)) {
        OnMessage(WM_COMM_DONE, [this](fw::WPARAM wParam, fw::LPARAM lParam) {
            done.push_back({static_cast<int>(wParam), reinterpret_cast<Message*>(lParam)});
            return fw::LRESULT{0};
        });
    }

    struct Report {
        int result;
        Message* message;
    };
    std::vector<Report> results;
    std::vector<Report> done;

protected:
    void OnCommResult(int result, Message* message) override {
        results.push_back({result, message});
    }
};

fw::LRESULT Request(fw::Window* target, Message& message) {
    return fw::SendMessage(target, WM_COMM_REQUEST, 0, reinterpret_cast<fw::LPARAM>(&message));
}

TEST(MessageTest, SetBorrowsOrCopies) {
    RecordingLink link;
    Bytes bytes = {1, 2, 3};
    Message borrowed;
    EXPECT_EQ(borrowed.Kind(), Message::KindEmpty);
    borrowed.Set(Message::KindWrite, bytes.data(), 3, &link, 0);
    EXPECT_EQ(borrowed.Data(), bytes.data());
    EXPECT_EQ(borrowed.OwnsData(), 0);
    EXPECT_EQ(borrowed.Link(), &link);

    Message copied;
    copied.Set(Message::KindWrite, bytes.data(), 3, &link, 1);
    bytes[0] = 9;
    ASSERT_NE(copied.Data(), bytes.data());
    EXPECT_EQ(copied.OwnsData(), 1);
    EXPECT_EQ(Bytes(copied.Data(), copied.Data() + 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(copied.Length(), 3);

    copied.Reset();
    EXPECT_EQ(copied.Kind(), Message::KindEmpty);
    EXPECT_EQ(copied.Data(), nullptr);
    EXPECT_EQ(copied.Length(), 0);
    EXPECT_EQ(copied.OwnsData(), 0);
    EXPECT_EQ(copied.Link(), nullptr);
}

TEST(HandlerTest, PoolKeepsAtMostTwenty) {
    TrHandler handler;
    std::vector<Message*> messages;
    for (int i = 0; i < 21; ++i) {
        Message* message = handler.CreateMessage();
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->Kind(), Message::KindEmpty);
        messages.push_back(message);
    }
    for (int i = 0; i < 20; ++i)
        handler.RecycleMessage(messages[i]);
    EXPECT_EQ(handler.PoolSize(), 20u);
    // The 21st is deleted, not kept (the sanitizer build would see a leak or a double free).
    handler.RecycleMessage(messages[20]);
    EXPECT_EQ(handler.PoolSize(), 20u);
}

TEST(HandlerTest, RecyclingReleasesAnOwnedCopy) {
    TrHandler handler;
    Bytes bytes(64, 0xAB);
    Message* message = handler.CreateMessage();
    message->Set(Message::KindWrite, bytes.data(), 64, nullptr, 1);
    handler.RecycleMessage(message);
    EXPECT_EQ(handler.PoolSize(), 1u);
    EXPECT_EQ(message->Data(), nullptr);
    EXPECT_EQ(message->OwnsData(), 0);
    EXPECT_EQ(message->Kind(), Message::KindEmpty);

    // Borrowed data is the caller's and survives recycling.
    Message* borrowing = handler.CreateMessage();
    borrowing->Set(Message::KindWrite, bytes.data(), 64, nullptr, 0);
    handler.RecycleMessage(borrowing);
    EXPECT_EQ(bytes[63], 0xAB);
}

TEST(HandlerTest, ProcessMessageUsesTheHandlersLinkAndReportsOwnedMessages) {
    RecordingTarget window;
    RecordingLink handlerLink;
    RecordingLink messageLink;
    TrHandler handler(&window);
    handler.SetLink(&handlerLink);
    handlerLink.writeResult = 1;

    Bytes frame = {0xFF, 0xAA, 0x01};
    Message* owned = handler.CreateMessage();
    owned->Set(Message::KindWrite, frame.data(), 3, &messageLink, 1);
    handler.ProcessMessage(owned);
    ASSERT_EQ(handlerLink.writes.size(), 1u);
    EXPECT_EQ(handlerLink.writes[0], frame);
    EXPECT_TRUE(messageLink.calls.empty());
    ASSERT_EQ(window.done.size(), 1u);
    EXPECT_EQ(window.done[0].result, 1);
    EXPECT_EQ(window.done[0].message, owned);
    EXPECT_EQ(handler.PoolSize(), 1u);

    // A message with borrowed data is carried out without a report.
    Bytes buffer(4);
    handlerLink.replies.push_back({5, 6, 7});
    Message* borrowed = handler.CreateMessage();
    borrowed->Set(Message::KindRead, buffer.data(), 4, nullptr, 0);
    handler.ProcessMessage(borrowed);
    EXPECT_EQ(buffer, (Bytes{5, 6, 7, 0}));
    EXPECT_EQ(window.done.size(), 1u);
    EXPECT_EQ(handler.PoolSize(), 2u);
}

TEST(HandlerTest, ProcessMessageWithoutLinkReportsZero) {
    RecordingTarget window;
    TrHandler handler(&window);
    Bytes data = {1};
    Message* message = handler.CreateMessage();
    message->Set(Message::KindWrite, data.data(), 1, nullptr, 1);
    handler.ProcessMessage(message);
    ASSERT_EQ(window.done.size(), 1u);
    EXPECT_EQ(window.done[0].result, 0);
}

struct ExecuteCase {
    const char* name;
    int kind;
    bool withLink;
    int linkOpen;
    int expected;
    bool touchesLink;
};

class ExecuteMessageTest : public ::testing::TestWithParam<ExecuteCase> {};

TEST_P(ExecuteMessageTest, ReturnsTheLinksResult) {
    const ExecuteCase& c = GetParam();
    RecordingLink link;
    link.open = c.linkOpen;
    link.replies.push_back({1, 2, 3, 4, 5, 6});
    Bytes buffer(6);
    Message message;
    message.Set(c.kind, buffer.data(), 6, c.withLink ? &link : nullptr, 0);
    EXPECT_EQ(ExecuteMessage(&message), c.expected);
    EXPECT_EQ(!link.calls.empty(), c.touchesLink);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ExecuteMessageTest,
    ::testing::Values(ExecuteCase{"ReadGivesBytes", Message::KindRead, true, 1, 6, true},
                      ExecuteCase{"WriteGivesOne", Message::KindWrite, true, 1, 1, true},
                      // A closed link sends nothing and still reports the write as done.
                      ExecuteCase{"WriteOnClosedLink", Message::KindWrite, true, 0, 1, true},
                      ExecuteCase{"ReadOnClosedLink", Message::KindRead, true, 0, 0, true},
                      ExecuteCase{"NoLinkRead", Message::KindRead, false, 1, 0, false},
                      ExecuteCase{"NoLinkWrite", Message::KindWrite, false, 1, 0, false},
                      ExecuteCase{"EmptyKind", Message::KindEmpty, true, 1, 0, false},
                      ExecuteCase{"OddKind", 7, true, 1, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExecuteMessageTest, FailedWriteComesBackAsZero) {
    RecordingLink link;
    link.writeResult = 0;
    Bytes data = {1};
    Message message;
    message.Set(Message::KindWrite, data.data(), 1, &link, 0);
    EXPECT_EQ(ExecuteMessage(&message), 0);
}

TEST(TrRequestSideTest, WithoutExecutorARequestDoesNothing) {
    RecordingTarget target;
    RecordingLink link;
    Bytes data = {1};
    Message message;
    message.Set(Message::KindWrite, data.data(), 1, &link, 0);
    EXPECT_EQ(Request(target.RequestTarget(), message), 0);
    EXPECT_TRUE(link.calls.empty());
    EXPECT_TRUE(target.results.empty());
}

TEST(TrRequestSideTest, ExecutesAndReportsTheResult) {
    RecordingTarget target;
    target.SetExecutor(&ExecuteMessage);
    RecordingLink link;
    link.replies.push_back({9, 8, 7});
    Bytes buffer(8);
    Message message;
    message.Set(Message::KindRead, buffer.data(), 8, &link, 0);
    EXPECT_EQ(Request(target.RequestTarget(), message), 3);
    ASSERT_EQ(target.results.size(), 1u);
    EXPECT_EQ(target.results[0].result, 3);
    EXPECT_EQ(target.results[0].message, &message);
    EXPECT_EQ(buffer[0], 9);
}

TEST(TrRequestWindowTest, ExecutesRequestsLikeTheDialog) {
    TrRequestWindow window;
    EXPECT_EQ(window.RequestTarget(), static_cast<fw::Window*>(&window));
    RecordingLink link;
    Bytes frame = {0xFF, 0xAA};
    Message message;
    message.Set(Message::KindWrite, frame.data(), 2, &link, 0);
    EXPECT_EQ(Request(&window, message), 0);
    window.SetExecutor(&ExecuteMessage);
    EXPECT_EQ(Request(&window, message), 1);
    ASSERT_EQ(link.writes.size(), 1u);
    EXPECT_EQ(link.writes[0], frame);
}

} // namespace
