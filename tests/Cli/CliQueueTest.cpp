#include "CliSandbox.h"
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <csignal>

namespace {

using Frames = std::vector<SimProcess::Frame>;

// Two calls at the same moment, ten times: each waits for the other instead of failing, and
// each has the controller to itself (the trace holds whole refreshes, never two interleaved).
TEST(CliQueueTest, SimultaneousCallsTakeTurns) {
    CliSandbox sandbox;
    SimProcess sim(sandbox);
    ASSERT_TRUE(sim.Ready());

    Frames expected;
    for (int pair = 0; pair < 10; ++pair) {
        QProcess first;
        QProcess second;
        ASSERT_TRUE(sandbox.Start(first, {"status"}));
        ASSERT_TRUE(sandbox.Start(second, {"status"}));
        const CliSandbox::Result a = CliSandbox::Finish(first);
        const CliSandbox::Result b = CliSandbox::Finish(second);
        EXPECT_EQ(a.exitCode, 0) << "pair " << pair << ": " << a.err.constData();
        EXPECT_EQ(b.exitCode, 0) << "pair " << pair << ": " << b.err.constData();
        EXPECT_TRUE(a.out.startsWith("connected: yes\n")) << a.out.constData();
        EXPECT_EQ(a.out, b.out);
        for (int call = 0; call < 2; ++call)
            for (const SimProcess::Frame& frame : RefreshFrames())
                expected.push_back(frame);
    }
    EXPECT_EQ(sim.FramesAfterAtLeast(expected.size()), expected);
}

// Another program holds the controller for longer than a call waits: every waiting call ends
// with "in use" and its own status once the bound has passed, having sent nothing. The two
// calls share the bound: the second, queued behind the first, does not wait twice.
TEST(CliQueueTest, AControllerHeldElsewhereIsReportedInUseAfterTheWait) {
    CliSandbox sandbox;
    const QString image = sandbox.Path("image.bin");
    {
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(300, '\x5A'));
    }
    SimProcess sim(sandbox, {"--hold-exclusive"});
    ASSERT_TRUE(sim.Ready());

    QElapsedTimer timer;
    timer.start();
    QProcess status;
    QProcess firmware;
    ASSERT_TRUE(sandbox.Start(status, {"status", "--json"}));
    ASSERT_TRUE(sandbox.Start(firmware, {"firmware", image, "--yes"}));
    const CliSandbox::Result statusRun = CliSandbox::Finish(status);
    const CliSandbox::Result firmwareRun = CliSandbox::Finish(firmware);
    const qint64 elapsed = timer.elapsed();

    for (const CliSandbox::Result* run : {&statusRun, &firmwareRun}) {
        EXPECT_EQ(run->exitCode, 6) << run->err.constData();
        EXPECT_TRUE(run->err.contains("in use by another program")) << run->err.constData();
        EXPECT_TRUE(run->err.contains("Close that program")) << run->err.constData();
        EXPECT_FALSE(run->err.contains("did not answer")) << run->err.constData();
    }
    EXPECT_EQ(QJsonDocument::fromJson(statusRun.out).object(),
              (QJsonObject{{"connected", false}, {"in_use", true}}));
    EXPECT_TRUE(firmwareRun.out.isEmpty()) << firmwareRun.out.constData();
    // They waited about ten seconds, not for ever and not half a minute of reconnects.
    EXPECT_GE(elapsed, 9900);
    EXPECT_LT(elapsed, 40000);
    EXPECT_TRUE(sim.FramesAfterAtLeast(0).empty());
}

// The controller answers the refresh and is gone before the command is written: the tool says
// that the command did not arrive. The tool is held stopped while its last answer is on the
// way and the controller leaves, so the order never depends on the machine's speed.
TEST(CliQueueTest, ACommandThatCannotBeWrittenEndsWithThree) {
    bool raced = false;
    // Only a machine too slow to stop the tool within the reply delay loses the race; it is
    // then run again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        CliSandbox sandbox;
        SimProcess sim(sandbox, {"--reply-delay-ms", "600", "--report-interval-us", "0"});
        ASSERT_TRUE(sim.Ready());
        QProcess tool;
        ASSERT_TRUE(sandbox.Start(tool, {"color", "blue"}));
        const pid_t pid = static_cast<pid_t>(tool.processId());

        // The refresh's last query has arrived; its answer is due in 600 ms.
        ASSERT_TRUE(sim.WaitForEvents("frame", RefreshFrames().size()));
        ::kill(pid, SIGSTOP);
        std::size_t replies = 0;
        for (const SimProcess::Event& e : sim.Events())
            replies += e.event == "reply" ? 1 : 0;
        const bool stoppedInTime = replies < RefreshFrames().size();
        EXPECT_TRUE(sim.WaitForEvents("reply", RefreshFrames().size()));
        EXPECT_TRUE(sim.Unplug());
        ::kill(pid, SIGCONT);
        const CliSandbox::Result run = CliSandbox::Finish(tool);
        if (!stoppedInTime || sim.Frames() != RefreshFrames())
            continue;
        raced = true;
        EXPECT_EQ(run.exitCode, 3) << run.err.constData();
        EXPECT_TRUE(run.err.contains("did not reach the controller")) << run.err.constData();
        break;
    }
    EXPECT_TRUE(raced) << "the tool was never stopped before its last answer";
}

} // namespace
