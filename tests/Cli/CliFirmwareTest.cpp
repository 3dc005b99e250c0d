#include "CliSandbox.h"
#include "SimProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

QByteArray Image(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<SimProcess::Frame> FramesWith(const SimProcess& sim, int cmd) {
    std::vector<SimProcess::Frame> found;
    for (const SimProcess::Frame& frame : sim.Frames())
        if (frame.cmd == cmd)
            found.push_back(frame);
    return found;
}

class CliFirmwareTest : public ::testing::Test {
protected:
    CliSandbox sandbox;
    QString image = sandbox.Path("image.bin");
    QString flashed = sandbox.Path("flashed.bin");
};

// 300 bytes: two full blocks and a tail of 44; one percent is 3 bytes, so the reports are
// 0 and 43 (the starts of the full blocks) and then 100. The tool then waits for the
// controller to come back with its new firmware, so that the next command finds it.
TEST_F(CliFirmwareTest, TheImageArrivesWholeAndTheControllerComesBackWithItsNewVersion) {
    const QByteArray bytes = Image(300);
    ASSERT_TRUE(WriteFile(image, bytes));
    SimProcess sim(sandbox,
                   {"--flash-out", flashed, "--reboot-ms", "300", "--flashed-version", "2.0.1"});
    ASSERT_TRUE(sim.Ready());

    const CliSandbox::Result run = sandbox.Run({"firmware", image, "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, QByteArray("0%\n43%\n100%\nUpdate successful!\n"
                                  "version: 2.0.1 (shown as \"V 2.0.1\")\n"));
    EXPECT_TRUE(run.err.contains("Reboot device into upgrade mode...")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("File: image.bin\nSize: 300 Byte\n")) << run.err.constData();

    sim.FramesAfterAtLeast(4 + 1 + 1 + 3 + 1 + 4);
    EXPECT_EQ(ReadFile(flashed), bytes);

    // Refresh, restart into the loader, begin, three blocks, leave, refresh of the new firmware.
    const std::vector<SimProcess::Frame> frames = sim.Frames();
    ASSERT_EQ(frames.size(), 14u);
    EXPECT_EQ(std::vector<SimProcess::Frame>(frames.begin(), frames.begin() + 4), RefreshFrames());
    EXPECT_EQ(frames[4], MakeFrame(0x02, "10"));
    EXPECT_EQ(frames[5], MakeFrame(0xFC, "10"));
    const int sizes[] = {128, 128, 44};
    int offset = 0;
    for (int i = 0; i < 3; ++i) {
        const SimProcess::Frame& block = frames[static_cast<std::size_t>(6 + i)];
        EXPECT_EQ(block.cmd, 0xFD);
        ASSERT_EQ(block.payload.size(), sizes[i] + 2) << "the data and its CRC";
        EXPECT_EQ(block.payload.left(sizes[i]), bytes.mid(offset, sizes[i]));
        offset += sizes[i];
    }
    EXPECT_EQ(frames[9], MakeFrame(0xFE, "10"));
    EXPECT_EQ(std::vector<SimProcess::Frame>(frames.begin() + 10, frames.end()), RefreshFrames());
    int blocks = 0;
    for (const SimProcess::Event& e : sim.Events()) {
        if (e.event == "block") {
            EXPECT_TRUE(e.crcOk) << "block " << e.index;
            ++blocks;
        }
    }
    EXPECT_EQ(blocks, 3);

    const CliSandbox::Result status = sandbox.Run({"status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.constData();
    EXPECT_TRUE(status.out.contains("version: 2.0.1")) << status.out.constData();

    // The same facts as one object, and nothing else on stdout.
    const CliSandbox::Result json = sandbox.Run({"firmware", image, "--yes", "--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err.constData();
    EXPECT_EQ(json.out.count('\n'), 1) << json.out.constData();
    EXPECT_EQ(QJsonDocument::fromJson(json.out).object(),
              (QJsonObject{{"updated", true},
                           {"returned", true},
                           {"version", "2.0.1"},
                           {"version_label", "V 2.0.1"}}));
}

// 16 KiB are 128 blocks, and one percent is 164 bytes: several blocks start within the same
// percentage, and a pipe gets each percentage once.
TEST_F(CliFirmwareTest, PipedProgressNamesEachPercentageOnce) {
    ASSERT_TRUE(WriteFile(image, Image(16 * 1024)));
    SimProcess sim(sandbox, {"--reboot-ms", "300"});
    ASSERT_TRUE(sim.Ready());

    const CliSandbox::Result run = sandbox.Run({"firmware", image, "--yes"});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    QList<QByteArray> lines = run.out.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.takeLast(), QByteArray());
    EXPECT_TRUE(lines.takeLast().startsWith("version: ")) << run.out.constData();
    EXPECT_EQ(lines.takeLast(), QByteArray("Update successful!"));
    EXPECT_EQ(lines.last(), QByteArray("100%"));
    int previous = -1;
    for (const QByteArray& line : lines) {
        ASSERT_TRUE(line.endsWith('%')) << line.constData();
        const int percent = line.chopped(1).toInt();
        EXPECT_GT(percent, previous) << run.out.constData();
        previous = percent;
    }
    EXPECT_GE(lines.size(), 90);
    EXPECT_EQ(FramesWith(sim, 0xFD).size(), 128u);
}

// The controller is unplugged while the user is asked: the restart request reaches nobody,
// and the tool says so at once instead of waiting for a controller it never restarted.
TEST_F(CliFirmwareTest, AControllerGoneBeforeTheRestartEndsAtOnceWithThree) {
    ASSERT_TRUE(WriteFile(image, Image(300)));
    SimProcess sim(sandbox, {"--reboot-ms", "300"});
    ASSERT_TRUE(sim.Ready());

    QProcess tool;
    ASSERT_TRUE(sandbox.StartOnTerminal(tool, {"firmware", image}));
    QByteArray said;
    QElapsedTimer timer;
    timer.start();
    while (!said.contains("[y/N]") && timer.elapsed() < 30000 &&
           tool.state() == QProcess::Running) {
        tool.waitForReadyRead(100);
        said += tool.readAllStandardOutput();
    }
    ASSERT_TRUE(said.contains("[y/N]")) << said.constData();
    ASSERT_TRUE(sim.Unplug());
    tool.write("y\n");
    tool.closeWriteChannel();
    const CliSandbox::Result run = CliSandbox::Finish(tool);
    said += run.out;

    EXPECT_EQ(run.exitCode, 3) << said.constData();
    EXPECT_TRUE(said.contains("did not reach the controller")) << said.constData();
    EXPECT_FALSE(said.contains("Reboot device into upgrade mode")) << said.constData();
    EXPECT_FALSE(said.contains("Reconnecting")) << said.constData();
    EXPECT_EQ(sim.FramesAfterAtLeast(4), RefreshFrames());
}

// A controller that does not come back after a successful update: the transfer stands (exit
// 0), and the user learns what to do if it stays away.
TEST_F(CliFirmwareTest, AControllerThatStaysAwayAfterTheUpdateIsReportedButTheUpdateStands) {
    ASSERT_TRUE(WriteFile(image, Image(300)));
    SimProcess sim(sandbox, {"--reboot-ms", "2000"});
    ASSERT_TRUE(sim.Ready());

    QProcess tool;
    ASSERT_TRUE(sandbox.Start(tool, {"firmware", image, "--yes", "--json"}));
    // Unplugged while it restarts, it never comes back by itself.
    ASSERT_TRUE(sim.WaitForEvents("flash-complete", 1));
    sim.Signal(SIGUSR1);
    const CliSandbox::Result run = CliSandbox::Finish(tool);

    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(QJsonDocument::fromJson(run.out).object(),
              (QJsonObject{{"updated", true}, {"returned", false}}))
        << run.out.constData();
    EXPECT_TRUE(run.err.contains("Update successful!")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("has not come back")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("glimractl recover")) << run.err.constData();
}

// What is not an image is refused before the controller is touched: an empty file, a device
// that never ends, a FIFO that nobody writes (reading it would hang) and a folder.
TEST_F(CliFirmwareTest, WhatIsNotAnImageIsRefusedWithoutAFrame) {
    ASSERT_TRUE(WriteFile(image, QByteArray()));
    const QString fifo = sandbox.Path("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    SimProcess sim(sandbox);
    ASSERT_TRUE(sim.Ready());

    for (const QString& path : {image, QStringLiteral("/dev/zero"), fifo, sandbox.SimDir()}) {
        const CliSandbox::Result run = sandbox.Run({"firmware", path, "--yes"});
        EXPECT_EQ(run.exitCode, 2) << path.toStdString();
        EXPECT_EQ(run.err, QByteArray("Invalid firmware! Please select again.\n"))
            << path.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << path.toStdString();
    }
    EXPECT_TRUE(sim.FramesAfterAtLeast(0).empty());
}

TEST_F(CliFirmwareTest, ARejectedBlockFailsTheUpdateAndRecoverStartsTheFirmwareAgain) {
    ASSERT_TRUE(WriteFile(image, Image(1000)));
    SimProcess sim(sandbox, {"--reject-block", "1", "--reboot-ms", "300"});
    ASSERT_TRUE(sim.Ready());

    const CliSandbox::Result run = sandbox.Run({"firmware", image, "--yes"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, QByteArray("0%\nUpdate failed!\n"));
    sim.FramesAfterAtLeast(4 + 1 + 1 + 2);
    EXPECT_EQ(FramesWith(sim, 0xFD).size(), 2u) << "no block after the rejected one";
    EXPECT_TRUE(FramesWith(sim, 0xFE).empty()) << "the controller stays in its loader";

    // The loader answers no queries; recover sends its command all the same.
    const CliSandbox::Result recover = sandbox.Run({"recover"});
    EXPECT_EQ(recover.exitCode, 0) << recover.err.constData();
    sim.FramesAfterAtLeast(4 + 1 + 1 + 2 + 1 + 1);
    const std::vector<SimProcess::Frame> frames = sim.Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[frames.size() - 2], MakeFrame(0x01, "00")) << "the refresh's first query";
    EXPECT_EQ(frames.back(), MakeFrame(0xFE, "10"));
    const std::vector<SimProcess::Event> events = sim.Events();
    QStringList modes;
    for (const SimProcess::Event& e : events)
        if (e.event == "mode")
            modes << e.mode;
    EXPECT_EQ(modes, (QStringList{"loader", "app"}));
}

TEST_F(CliFirmwareTest, AControllerThatNeverComesBackEndsAfterThirtyAttempts) {
    ASSERT_TRUE(WriteFile(image, Image(200)));
    SimProcess sim(sandbox, {"--never-return"});
    ASSERT_TRUE(sim.Ready());
    const CliSandbox::Result run = sandbox.Run({"firmware", image, "--yes"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("Reconnecting device...")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Reconnecting failed!")) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
    EXPECT_TRUE(FramesWith(sim, 0xFC).empty()) << "no transfer began";
}

TEST_F(CliFirmwareTest, CtrlCCancelsBetweenBlocksWithoutAResult) {
    // 16 blocks, each acknowledged after the simulator's reply delay: seconds of transfer.
    ASSERT_TRUE(WriteFile(image, Image(2048)));
    SimProcess sim(sandbox, {"--reboot-ms", "300"});
    ASSERT_TRUE(sim.Ready());

    QProcess tool;
    tool.setProcessEnvironment(sandbox.Environment());
    tool.start(CliSandbox::Program("glimractl"), {"firmware", image, "--yes"});
    ASSERT_TRUE(tool.waitForStarted(10000));
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    // Two progress reports: the first two blocks are through.
    while (out.count('\n') < 2 && timer.elapsed() < 30000 && tool.state() == QProcess::Running) {
        tool.waitForReadyRead(100);
        out += tool.readAllStandardOutput();
    }
    ASSERT_TRUE(out.startsWith("0%\n7%\n")) << out.constData();
    ::kill(static_cast<pid_t>(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(30000));
    out += tool.readAllStandardOutput();
    const QByteArray err = tool.readAllStandardError();

    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << "the signal is handled, not fatal";
    EXPECT_EQ(tool.exitCode(), 3);
    EXPECT_FALSE(out.contains("Update")) << out.constData();
    EXPECT_TRUE(err.contains("Update cancelled")) << err.constData();
    const std::size_t blocks = FramesWith(sim, 0xFD).size();
    EXPECT_GE(blocks, 2u);
    EXPECT_LT(blocks, 16u);
    EXPECT_TRUE(FramesWith(sim, 0xFE).empty()) << "the controller stays in its loader";
}

TEST_F(CliFirmwareTest, OnATerminalItAsksFirstAndDrawsABar) {
    const QByteArray bytes = Image(200);
    ASSERT_TRUE(WriteFile(image, bytes));
    SimProcess sim(sandbox, {"--flash-out", flashed, "--reboot-ms", "300"});
    ASSERT_TRUE(sim.Ready());

    const CliSandbox::Result declined = sandbox.RunOnTerminal({"firmware", image}, "n\n");
    EXPECT_EQ(declined.exitCode, 0);
    EXPECT_TRUE(declined.out.contains("Please don't shutdown computer when update firmware."))
        << declined.out.constData();
    EXPECT_TRUE(declined.out.contains("[y/N]"));
    EXPECT_TRUE(declined.out.contains("nothing was changed"));
    EXPECT_EQ(sim.FramesAfterAtLeast(4), RefreshFrames()) << "declining sends nothing more";

    const CliSandbox::Result agreed = sandbox.RunOnTerminal({"firmware", image}, "y\n");
    EXPECT_EQ(agreed.exitCode, 0) << agreed.out.constData();
    // One line redrawn in place, from the empty bar to the full one.
    EXPECT_TRUE(agreed.out.contains("\r[" + QByteArray(40, ' ') + "]   0%"))
        << agreed.out.constData();
    EXPECT_TRUE(agreed.out.contains("\r[" + QByteArray(40, '#') + "] 100%\r\nUpdate successful!"))
        << agreed.out.constData();
    // After the message that the tool waits for it (on the same terminal).
    EXPECT_TRUE(agreed.out.contains("version: 1.0.2")) << agreed.out.constData();
    sim.FramesAfterAtLeast(4 + 4 + 1 + 1 + 2 + 1);
    EXPECT_EQ(ReadFile(flashed), bytes);
}

} // namespace
