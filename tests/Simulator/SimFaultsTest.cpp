#include "SimFixture.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using simtest::Bytes;
using simtest::Frame;

TEST_F(SimFixture, StrayBytesPrecedeEveryReplyFrame) {
    sim::SimConfig config = Base();
    config.strayBytes = 4;
    Run(config);
    auto client = Connect();
    Bytes reply = Query(*client, 0x01, 2 + 4);
    ASSERT_EQ(reply.size(), 19u);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(reply[i], 0xFF) << "junk must not look like a start mark";
    EXPECT_EQ(Bytes(reply.begin() + 4, reply.end()), Frame(0x01, {0x05, 0x00}));
}

TEST_F(SimFixture, SplitRepliesSpreadEvenTheShortestFrame) {
    sim::SimConfig config = Base();
    config.splitReplies = true;
    Run(config);
    auto client = Connect();
    ASSERT_TRUE(client->SendFrame(0x01, {0x01}));
    Bytes all;
    int reports = 0;
    while (all.size() < 15) {
        auto r = client->ReadReport(2000);
        ASSERT_TRUE(r);
        ++reports;
        all.insert(all.end(), r->begin() + 2, r->begin() + 2 + (*r)[1]);
    }
    EXPECT_GE(reports, 2);
    EXPECT_EQ(all, Frame(0x01, {0x05, 0x00}));
}

TEST_F(SimFixture, BadEndMarkEndsRepliesFF54) {
    sim::SimConfig config = Base();
    config.badEndMark = true;
    Run(config);
    auto client = Connect();
    EXPECT_EQ(Query(*client, 0x01, 2), Frame(0x01, {0x05, 0x00}, 0x54));
}

TEST_F(SimFixture, OversizedCountClaims255ButCarriesTheRealData) {
    sim::SimConfig config = Base();
    config.oversizedCount = true;
    Run(config);
    auto client = Connect();
    ASSERT_TRUE(client->SendFrame(0x01, {0x00}));
    auto r = client->ReadReport(2000);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 64u);
    EXPECT_EQ((*r)[1], 0xFF);
    Bytes expected = Frame(0x01, {0x00, 0x05, 0x00, 0x10, 0x00, 0x0B, 0x00, 0x08, 0x00});
    EXPECT_EQ(Bytes(r->begin() + 2, r->begin() + 2 + static_cast<long>(expected.size())), expected);
    // What follows the real data in the report is padding.
    EXPECT_EQ(Bytes(r->begin() + 2 + static_cast<long>(expected.size()), r->end()),
              Bytes(64 - 2 - expected.size(), 0x00));
}

TEST_F(SimFixture, NoReplyLeavesQueriesUnansweredButStillApplies) {
    sim::SimConfig config = Base();
    config.noReply = true;
    sim::Simulator& s = Run(config);
    auto client = Connect();
    ASSERT_TRUE(client->SendFrame(0x01, {0x00}));
    EXPECT_FALSE(client->ReadReport(100));
    ASSERT_TRUE(client->SendFrame(0x05, {0x00, 0x00}));
    EXPECT_TRUE(s.WaitForState(
        0, [](const sim::SimState& st) { return st.handles[0].enable == 0; }, 2000));
}

TEST_F(SimFixture, HoldExclusiveRefusesEveryOtherLock) {
    for (bool hold : {false, true}) {
        SCOPED_TRACE(hold ? "held" : "free");
        simtest::TempDir own;
        sim::SimConfig config = Base();
        config.dir = own.Path();
        config.holdExclusive = hold;
        sim::Simulator s(config);
        ASSERT_TRUE(s.Start()) << s.LastError();
        const std::string lock = s.Path(0, 0, ".lock");
        for (int how : {LOCK_EX, LOCK_SH}) {
            int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            int got = ::flock(fd, how | LOCK_NB);
            EXPECT_EQ(got == 0, !hold) << (how == LOCK_EX ? "exclusive" : "shared");
            if (got != 0) {
                EXPECT_EQ(errno, EWOULDBLOCK);
            }
            ::close(fd);
        }
        // The socket itself still accepts: the lock is the only refusal.
        simtest::RawClient client(s.Path(0, 0, ".sock"));
        EXPECT_TRUE(client.Connected());
    }
}
