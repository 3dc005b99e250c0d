#include "CliSandbox.h"
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

bool GiveAway(const QString& path) {
    return ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

// Another local user got to the runtime folders first and put a controller of their own in
// the simulator's: glimractl neither waits on their lock nor sends them a frame.
TEST(RuntimeFolderTest, FoldersOfAnotherUserAreRefusedWithAMessage) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give folders to another user";
    CliSandbox sandbox;
    SimProcess theirs(sandbox);
    ASSERT_TRUE(theirs.Ready());
    // Their queue lock, held as long as their process lives.
    QFile lock(sandbox.Path("xdg/glimractl.lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    ASSERT_TRUE(GiveAway(sandbox.SimDir()));
    ASSERT_TRUE(GiveAway(sandbox.Path("xdg")));

    QElapsedTimer clock;
    clock.start();
    const CliSandbox::Result result = sandbox.Run({"status"});
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(result.exitCode, 1) << result.err.constData();
    EXPECT_TRUE(result.err.contains("sim belongs to another user (uid 65534)"))
        << result.err.constData();
    EXPECT_TRUE(result.err.contains("xdg belongs to another user (uid 65534)"))
        << result.err.constData();
    EXPECT_TRUE(theirs.FramesAfterAtLeast(1).empty());
}

// The simulator will not serve from such a folder either.
TEST(RuntimeFolderTest, TheSimulatorRefusesAFolderOfAnotherUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give folders to another user";
    CliSandbox sandbox;
    ASSERT_TRUE(GiveAway(sandbox.SimDir()));
    QProcess sim;
    sim.start(CliSandbox::Program("glimra-sim"), {"--dir", sandbox.SimDir()});
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_NE(sim.exitCode(), 0);
    EXPECT_TRUE(sim.readAllStandardError().contains("belongs to another user"));
}

} // namespace
