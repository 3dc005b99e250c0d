// Queries against the simulated controller answering at once, late, or never.
#include "Protocol/ControllerProtocol.h"
#include "SimLinkFixture.h"

namespace {

class TransactSimTest : public SimLinkFixture {
protected:
    ControllerProtocol& Connect(sim::SimConfig config) {
        config.version = "3.1.4-late";
        RunSim(std::move(config));
        CommManager& m = CreateManager();
        m.RefreshDevices();
        EXPECT_EQ(m.Open(0), 1);
        return *m.GetProtocol();
    }
};

TEST_F(TransactSimTest, AControllerAnsweringLateIsStillHeard) {
    sim::SimConfig config = Base();
    config.replyDelayMs = 300;
    ControllerProtocol& protocol = Connect(config);
    ASSERT_EQ(protocol.ReadVersion(), 1);
    EXPECT_EQ(protocol.Model().VersionText(), "3.1.4-late");
    ASSERT_EQ(protocol.ReadLayout(), 1);
    EXPECT_EQ(protocol.Model().LedCount(), 16);
}

TEST_F(TransactSimTest, AControllerThatNeverAnswersFailsAfterOneReportTimeOut) {
    sim::SimConfig config = Base();
    config.noReply = true;
    ControllerProtocol& protocol = Connect(config);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(protocol.ReadVersion(), 0);
    const qint64 elapsed = timer.elapsed();
    EXPECT_EQ(protocol.Model().VersionText(), "");
    // The wait is the link's one-second report time-out: not cut short, and not repeated
    // (the generous ceiling only tells a bounded wait from an unbounded one).
    EXPECT_GE(elapsed, 990);
    EXPECT_LT(elapsed, 6000);
    // One query went out, and no reply came back to it.
    int frames = 0, replies = 0;
    for (const sim::TraceEvent& e : simulator->Trace()) {
        frames += e.event == "frame";
        replies += e.event == "reply";
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(replies, 0);
}

} // namespace
