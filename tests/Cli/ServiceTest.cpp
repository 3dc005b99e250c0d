#include "CliSandbox.h"
#include "PrivateBus.h"
#include "SdkProbe.h"
#include "SimProcess.h"
#include "WatchedProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

using Frames = std::vector<SimProcess::Frame>;
const QString kBusName = QStringLiteral("org.glimra.Utility1");

Frames Tail(const Frames& all, std::size_t from) {
    return from < all.size() ? Frames(all.begin() + static_cast<std::ptrdiff_t>(from), all.end())
                             : Frames{};
}

// glimractl serve on a private session bus against glimra-sim, with the other commands and the
// window run as a user runs them.
class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.Ready());
        ASSERT_TRUE(sim.Ready());
        sandbox.UseSessionBus(bus.Address());
    }

    std::unique_ptr<WatchedProcess> Serve(const QStringList& options = {}) {
        return std::make_unique<WatchedProcess>(CliSandbox::Program("glimractl"),
                                                QStringList{"serve"} + options,
                                                sandbox.Environment());
    }

    // Waits until the bus name belongs to this process.
    bool NameOwnedBy(qint64 pid) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            if (bus.OwnerPid(kBusName) == pid)
                return true;
            QThread::msleep(20);
        }
        return false;
    }

    // The frames a command sends, on top of those the trace holds now.
    Frames FramesOf(const QStringList& arguments, std::size_t expected, int exitCode = 0) {
        const std::size_t from = sim.Frames().size();
        const CliSandbox::Result run = sandbox.Run(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << run.err.constData();
        return Tail(sim.FramesAfterAtLeast(from + expected), from);
    }

    PrivateBus bus;
    CliSandbox sandbox;
    SimProcess sim{sandbox};
};

TEST_F(ServiceTest, HoldsTheControllerThroughUnplugAndReplugAndServesEveryCommand) {
    auto serve = Serve();
    ASSERT_TRUE(serve->WaitForLog("controller connected")) << serve->Log().constData();
    EXPECT_EQ(sim.FramesAfterAtLeast(RefreshFrames().size()), RefreshFrames());
    ASSERT_TRUE(NameOwnedBy(serve->Pid()));

    // The service sends the click's frame alone: the tool never opened the controller, or its
    // own read-back would come first.
    EXPECT_EQ(FramesOf({"color", "blue"}, 1), Frames{MakeFrame(0x04, "000000ff01")});
    EXPECT_EQ(FramesOf({"mode", "gradual"}, 1), Frames{MakeFrame(0x08, "0002070d0084000001")});
    // Refused in that mode, as the window's plate refuses the pick.
    EXPECT_EQ(FramesOf({"color", "red"}, 0, 5), Frames{});
    // Default answers once its read-back has run.
    Frames defaults = {MakeFrame(0xFF, "10"), MakeFrame(0x06, "00ffff01")};
    for (const SimProcess::Frame& frame : RefreshFrames())
        defaults.push_back(frame);
    EXPECT_EQ(FramesOf({"default"}, defaults.size()), defaults);
    const CliSandbox::Result status = sandbox.Run({"status", "--json"});
    EXPECT_EQ(status.exitCode, 0) << status.err.constData();
    EXPECT_TRUE(status.out.contains("\"swatch\":1")) << status.out.constData();

    ASSERT_TRUE(sim.Unplug());
    ASSERT_TRUE(serve->WaitForLog("no controller")) << serve->Log().constData();
    EXPECT_EQ(sandbox.Run({"color", "blue"}).exitCode, 1);

    sim.Signal(SIGUSR2);
    ASSERT_TRUE(serve->WaitForLog("controller connected", 2)) << serve->Log().constData();
    EXPECT_EQ(FramesOf({"off"}, 1), Frames{MakeFrame(0x05, "0000")});

    EXPECT_EQ(serve->Terminate(), 0);
    EXPECT_TRUE(serve->Log().contains("stopping"));
    EXPECT_EQ(bus.OwnerPid(kBusName), 0);
}

TEST_F(ServiceTest, ASecondServiceIsRefusedAndTheFirstServesOn) {
    auto serve = Serve();
    ASSERT_TRUE(serve->WaitForLog("controller connected")) << serve->Log().constData();
    const CliSandbox::Result second = sandbox.Run({"serve"});
    EXPECT_EQ(second.exitCode, 6);
    EXPECT_TRUE(second.err.contains("a service already runs for this user"))
        << second.err.constData();
    EXPECT_EQ(FramesOf({"color", "blue"}, 1), Frames{MakeFrame(0x04, "000000ff01")});
    EXPECT_EQ(serve->Terminate(), 0);
}

TEST_F(ServiceTest, SigintEndsItAsSigtermDoes) {
    auto serve = Serve();
    ASSERT_TRUE(serve->WaitForLog("controller connected")) << serve->Log().constData();
    ::kill(static_cast<pid_t>(serve->Pid()), SIGINT);
    ASSERT_TRUE(serve->WaitForLog("stopping"));
    EXPECT_EQ(serve->Terminate(), 0);
}

// A controller that dies without a removal (the simulator SIGKILLed) is let go, and the next one
// to arrive is read and driven through the service.
TEST_F(ServiceTest, AControllerKilledWithoutRemovalMakesWayForTheNextOne) {
    auto serve = Serve();
    ASSERT_TRUE(serve->WaitForLog("controller connected")) << serve->Log().constData();
    ASSERT_TRUE(sim.Kill());
    SimProcess second(sandbox, {"--serial", "SECOND"}, "second.jsonl");
    ASSERT_TRUE(second.Ready());
    EXPECT_EQ(second.FramesAfterAtLeast(RefreshFrames().size()), RefreshFrames());
    ASSERT_TRUE(serve->WaitForLog("controller connected", 2)) << serve->Log().constData();
    const CliSandbox::Result run = sandbox.Run({"color", "blue"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    const Frames after = second.FramesAfterAtLeast(RefreshFrames().size() + 1);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.back(), MakeFrame(0x04, "000000ff01"));
    EXPECT_EQ(serve->Terminate(), 0);
}

// The window of the program as a process of its own, offscreen, from a copy of the program
// folder (it writes its settings there).
class HandoverTest : public ServiceTest {
protected:
    std::unique_ptr<WatchedProcess> Window(quint16 sdkPort = 0) {
        const QString folder = sandbox.Path("program");
        if (!QFile::exists(folder + "/glimra-utility")) {
            QDir().mkpath(folder + "/lang");
            QFile::copy(CliSandbox::Program("glimra-utility"), folder + "/glimra-utility");
            QFile::copy(CliSandbox::Program("lang/en_US.rcc"), folder + "/lang/en_US.rcc");
            QFile::link(CliSandbox::Program("image"), folder + "/image");
        }
        if (sdkPort != 0) {
            QFile settings(folder + "/settings.ini");
            settings.open(QIODevice::WriteOnly);
            settings.write(QStringLiteral("[OpenRGB]\nServer=1\nPort=%1\n").arg(sdkPort).toUtf8());
        }
        QProcessEnvironment env = sandbox.Environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("GLIMRA_AUTO_DISMISS", "1");
        return std::make_unique<WatchedProcess>(folder + "/glimra-utility", QStringList{}, env);
    }
};

TEST_F(HandoverTest, TheWindowTakesEverythingOverAndTheServiceTakesItBack) {
    const quint16 port = FreeLoopbackPort();
    ASSERT_NE(port, 0);
    auto serve = Serve({"--openrgb", QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(serve->WaitForLog("controller connected")) << serve->Log().constData();
    ASSERT_TRUE(serve->WaitForLog("OpenRGB SDK server on")) << serve->Log().constData();
    EXPECT_EQ(SdkControllerCount(port), 1);

    auto window = Window(port);
    ASSERT_TRUE(window->Started());
    ASSERT_TRUE(serve->WaitForLog("handed the controller over")) << serve->Log().constData();
    EXPECT_TRUE(serve->Log().contains("OpenRGB SDK server closed"));
    ASSERT_TRUE(NameOwnedBy(window->Pid()));
    // The window connects as it always does: its read-back follows the service's.
    const Frames twoReadBacks = [] {
        Frames frames = RefreshFrames();
        for (const SimProcess::Frame& frame : RefreshFrames())
            frames.push_back(frame);
        return frames;
    }();
    EXPECT_EQ(sim.FramesAfterAtLeast(twoReadBacks.size()), twoReadBacks);
    EXPECT_EQ(FramesOf({"color", "green"}, 1), Frames{MakeFrame(0x04, "0000ff0001")});
    EXPECT_FALSE(window->Log().contains("in use")) << window->Log().constData();
    // The window serves the port now.
    EXPECT_EQ(SdkControllerCount(port), 1) << window->Log().constData();

    EXPECT_EQ(window->Terminate(), 0);
    ASSERT_TRUE(serve->WaitForLog("controller connected", 2)) << serve->Log().constData();
    ASSERT_TRUE(NameOwnedBy(serve->Pid()));
    EXPECT_EQ(FramesOf({"color", "blue"}, 1), Frames{MakeFrame(0x04, "000000ff01")});
    ASSERT_TRUE(serve->WaitForLog("OpenRGB SDK server on", 2)) << serve->Log().constData();
    EXPECT_EQ(SdkControllerCount(port), 1);
    EXPECT_EQ(serve->Terminate(), 0);
}

// A client nobody here wrote (the npm registry's openrgb-sdk, installed by scripts/install-deps.sh)
// drives the window through its SDK port as a click would, and glimractl reads the same back.
TEST_F(HandoverTest, TheNpmClientDrivesTheWindowThroughItsSdkPort) {
    const QString client = QDir(GLIMRA_TEST_DATA_DIR "/../openrgb-client").absolutePath();
    ASSERT_TRUE(QFile::exists(client + "/node_modules/openrgb-sdk/package.json"))
        << "run scripts/install-deps.sh to install the client into " << client.toStdString();
    const quint16 port = FreeLoopbackPort();
    ASSERT_NE(port, 0);
    auto window = Window(port);
    ASSERT_TRUE(window->Started());
    EXPECT_EQ(sim.FramesAfterAtLeast(RefreshFrames().size()), RefreshFrames());
    QElapsedTimer listening;
    listening.start();
    while (SdkControllerCount(port) != 1 && listening.elapsed() < 10000)
        QThread::msleep(50);
    ASSERT_EQ(SdkControllerCount(port), 1) << window->Log().constData();
    const std::size_t mark = sim.Frames().size();

    QProcess node;
    node.setWorkingDirectory(client);
    node.start(QStringLiteral("node"), {client + "/client.js", QString::number(port)});
    ASSERT_TRUE(node.waitForFinished(30000)) << node.errorString().toStdString();
    ASSERT_EQ(node.exitCode(), 0) << node.readAllStandardError().constData();
    const QJsonObject out = QJsonDocument::fromJson(node.readAllStandardOutput()).object();
    EXPECT_EQ(out["afterBreathing"].toString(), "Breathing");
    EXPECT_EQ(out["afterStatic"].toString(), "Static");

    // The window's own frames: Breath, then Static (each a SetEffect naming the mode), then the
    // blue swatch at full brightness.
    const Frames frames = Tail(sim.FramesAfterAtLeast(mark + 3), mark);
    ASSERT_GE(frames.size(), 3u);
    std::vector<int> effects;
    for (const SimProcess::Frame& frame : frames)
        if (frame.cmd == 0x08 && frame.payload.size() > 1)
            effects.push_back(static_cast<unsigned char>(frame.payload[1]));
    EXPECT_EQ(effects, (std::vector<int>{1, 0}));
    EXPECT_EQ(frames.back(), MakeFrame(0x04, "000000ff01"));

    const CliSandbox::Result status = sandbox.Run({"status", "--json"});
    EXPECT_EQ(status.exitCode, 0) << status.err.constData();
    const QJsonObject state = QJsonDocument::fromJson(status.out).object();
    EXPECT_EQ(state["swatch"].toInt(), 4) << status.out.constData();
    EXPECT_EQ(state["level"].toInt(), 8) << status.out.constData();
    EXPECT_EQ(window->Terminate(), 0);
}

TEST_F(HandoverTest, AServiceStartedUnderTheWindowWaitsForItToClose) {
    auto window = Window();
    ASSERT_TRUE(window->Started());
    ASSERT_TRUE(NameOwnedBy(window->Pid()));
    auto serve = Serve();
    ASSERT_TRUE(serve->WaitForLog("waiting for it to close")) << serve->Log().constData();
    EXPECT_EQ(FramesOf({"color", "green"}, 1), Frames{MakeFrame(0x04, "0000ff0001")});

    EXPECT_EQ(window->Terminate(), 0);
    ASSERT_TRUE(serve->WaitForLog("controller connected")) << serve->Log().constData();
    ASSERT_TRUE(NameOwnedBy(serve->Pid()));
    EXPECT_EQ(FramesOf({"color", "blue"}, 1), Frames{MakeFrame(0x04, "000000ff01")});
    EXPECT_EQ(serve->Terminate(), 0);
}

} // namespace
