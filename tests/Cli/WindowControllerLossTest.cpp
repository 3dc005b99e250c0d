#include "CliSandbox.h"
#include "SimProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

namespace {

bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 10000)
            return false;
        QThread::msleep(20);
    }
    return true;
}

// The desktop program as a user starts it, from a program folder in the sandbox (the built
// packs and skin beside it), offscreen and without a session bus, against glimra-sim processes.
class DesktopProgram {
public:
    explicit DesktopProgram(const CliSandbox& sandbox) {
        const QString folder = sandbox.Path("program");
        QDir().mkpath(folder);
        QFile::copy(CliSandbox::Program("glimra-utility"), folder + "/glimra-utility");
        QFile::link(CliSandbox::Program("lang"), folder + "/lang");
        QFile::link(CliSandbox::Program("image"), folder + "/image");
        QProcessEnvironment env = sandbox.Environment();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(name);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", sandbox.Path("data"));
        env.insert("GLIMRA_AUTO_DISMISS", "1");
        process_.setProcessEnvironment(env);
        process_.start(folder + "/glimra-utility", {});
        process_.waitForStarted();
    }
    ~DesktopProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    // SIGTERM; the exit code, or -1 when it did not end normally within ten seconds.
    int Stop() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(10000))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    bool Running() const { return process_.state() == QProcess::Running; }

private:
    QProcess process_;
};

// A controller that dies (the simulator SIGKILLed: its socket stays, nothing announces the
// loss) is let go, and the next one to arrive is read and driven.
TEST(WindowControllerLossTest, AControllerKilledWithoutRemovalMakesWayForTheNextOne) {
    CliSandbox sandbox;
    SimProcess first(sandbox, {"--serial", "FIRST"}, "first.jsonl");
    ASSERT_TRUE(first.Ready());
    DesktopProgram program(sandbox);
    EXPECT_EQ(first.FramesAfterAtLeast(4), RefreshFrames());

    ASSERT_TRUE(first.Kill());
    SimProcess second(sandbox, {"--serial", "SECOND"}, "second.jsonl");
    ASSERT_TRUE(second.Ready());
    EXPECT_TRUE(second.WaitForEvents("frame", 4));
    EXPECT_EQ(second.FramesAfterAtLeast(4), RefreshFrames());
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(program.Stop(), 0);
}

// Two controllers; the one in use goes away in good order: the window reads the other.
TEST(WindowControllerLossTest, RemovingTheControllerInUseConnectsTheOtherOne) {
    CliSandbox sandbox;
    auto a = std::make_unique<SimProcess>(sandbox, QStringList{"--serial", "AAAA"}, "a.jsonl");
    auto b = std::make_unique<SimProcess>(sandbox, QStringList{"--serial", "BBBB"}, "b.jsonl");
    ASSERT_TRUE(a->Ready());
    ASSERT_TRUE(b->Ready());
    DesktopProgram program(sandbox);
    ASSERT_TRUE(WaitUntil([&] { return a->Frames().size() + b->Frames().size() >= 4; }));
    std::unique_ptr<SimProcess>& inUse = a->Frames().empty() ? b : a;
    SimProcess& other = inUse == a ? *b : *a;
    EXPECT_TRUE(other.Frames().empty());

    inUse.reset(); // SIGTERM: the simulator removes its files, which is a removal
    EXPECT_EQ(other.FramesAfterAtLeast(4), RefreshFrames());
    EXPECT_EQ(program.Stop(), 0);
}

} // namespace
