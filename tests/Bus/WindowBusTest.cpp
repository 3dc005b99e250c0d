#include "../GlimraUtility/MainWindowFixture.h"
#include "BusClient.h"
#include "Framework/InstanceGuard.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

constexpr int kSetColor = 0x04;
using Bytes = std::vector<std::uint8_t>;

// The main window on the test's private session bus, against the in-process simulator, with
// glimractl and a second start of the program run as the processes a user would run.
class WindowBusTest : public MainWindowFixture {
protected:
    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    void SetUp() override {
        MainWindowFixture::SetUp();
        QDir().mkpath(tools.File("xdg"));
        QDir().mkpath(tools.File("sys/class/hidraw"));
        QDir().mkpath(tools.File("dev"));
    }

    QProcessEnvironment ToolEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("GLIMRA_SIM_DIR", SimFolder());
        env.insert("XDG_RUNTIME_DIR", tools.File("xdg"));
        env.insert("GLIMRA_SYSFS_ROOT", tools.File("sys"));
        env.insert("GLIMRA_DEV_ROOT", tools.File("dev"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("GLIMRA_AUTO_DISMISS", "1");
        return env;
    }

    // Runs a program to its end while this thread keeps dispatching: the window answers the
    // program's calls on this thread.
    Result RunProgram(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(ToolEnvironment());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(program, arguments);
        Result result;
        if (!DispatchUntil([&] { return process.state() == QProcess::NotRunning; }, 60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    Result Ctl(const QStringList& arguments) const {
        return RunProgram(QStringLiteral(GLIMRA_BIN_DIR "/glimractl"), arguments);
    }

    TempFolder tools;
    BusClient client;
};

TEST_F(WindowBusTest, GraphValuesFromTheBusReachTheWindowsGraphs) {
    StartApp();
    RunSim();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        struct Case {
            const char* method;
            uint value;
            std::function<int()> last;
        };
        const Case cases[] = {
            {"AddFanSpeed", 1450, [&] { return dlg.LastFanSpeed(); }},
            {"AddGpuTemperature", 71, [&] { return dlg.LastGpuTemperature(); }},
            {"AddCpuTemperature", 48, [&] { return dlg.LastCpuTemperature(); }},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.method);
            const QDBusMessage reply =
                client.Call(QLatin1String(c.method), {QVariant::fromValue(c.value)});
            ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage)
                << reply.errorMessage().toStdString();
            EXPECT_EQ(c.last(), static_cast<int>(c.value));
        }
    });
}

TEST_F(WindowBusTest, ColourFromGlimractlIsTheWindowsOwnClick) {
    StartApp();
    RunSim();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        const std::size_t start = TraceSize();
        ClickAt(dlg, SwatchPoint(2)); // start from another swatch
        ASSERT_TRUE(WaitForFrames(start, 1));

        const std::size_t from = TraceSize();
        const std::size_t written = writeClock->SentCount();
        const Result result = Ctl({QStringLiteral("color"), QStringLiteral("red")});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        WaitForFrames(from, 1);
        const auto frames = Frames(from);
        // One frame, and the window wrote it: the tool never opened the controller.
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].cmd, kSetColor);
        EXPECT_EQ(writeClock->SentCount(), written + 1);
        EXPECT_EQ(dlg.ColorPlate()->SelectedIndex(), 1);

        // The same frame as the user's own click on red.
        const std::size_t back = TraceSize();
        ClickAt(dlg, SwatchPoint(2));
        ASSERT_TRUE(WaitForFrames(back, 1));
        const std::size_t again = TraceSize();
        ClickAt(dlg, SwatchPoint(1));
        ASSERT_TRUE(WaitForFrames(again, 1));
        EXPECT_EQ(Frames(again)[0].payload, frames[0].payload);
    });
}

TEST_F(WindowBusTest, EachCommandIsTheWindowsClickWithTheToolsOwnOutcome) {
    StartApp();
    RunSim();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        struct Case {
            QStringList arguments;
            int exitCode;
            std::vector<int> commands;   // the frames the controller receives, in order
            const char* message;         // part of what the tool says on stderr
            std::function<bool()> shown; // what the window shows afterwards
        };
        const Case cases[] = {
            {{"brightness", "8"}, 0, {}, "", [&] { return dlg.BrightnessBitmapId() == 1051; }},
            {{"up"}, 0, {}, "already at level 8, its highest; nothing was sent", nullptr},
            {{"brightness", "6"},
             0,
             {0x04, 0x04},
             "",
             [&] { return dlg.BrightnessBitmapId() == 1049; }},
            {{"down"}, 0, {0x04}, "", [&] { return dlg.BrightnessBitmapId() == 1048; }},
            {{"mode", "gradual"}, 0, {0x08}, "", [&] { return !dlg.IsPlateEnabled(); }},
            {{"color", "red"},
             5,
             {},
             "refused: the colour cannot be chosen in mode gradual (3)",
             nullptr},
            {{"up"},
             5,
             {},
             "refused: the brightness cannot be changed in mode gradual (3)",
             nullptr},
            {{"mode", "static"}, 0, {0x04, 0x08}, "", [&] { return dlg.IsPlateEnabled(); }},
            {{"off"}, 0, {0x05}, "", [&] { return !dlg.ColorPlate()->IsOn(); }},
            {{"off"}, 0, {}, "", [&] { return !dlg.ColorPlate()->IsOn(); }},
            {{"on"}, 0, {0x05}, "", [&] { return dlg.ColorPlate()->IsOn(); }},
            {{"default"},
             0,
             {0xFF, 0x06, 0x01, 0x01, 0x01, 0x01},
             "",
             [&] { return dlg.IsPlateEnabled(); }},
            {{"recover"}, 0, {0xFE}, "", nullptr},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.arguments.join(' ').toStdString());
            const std::size_t from = TraceSize();
            const std::size_t written = writeClock->SentCount();
            const Result result = Ctl(c.arguments);
            EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
            EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
            // The window wrote every frame (the tool never opened the controller); the
            // simulator may log the last of them a moment later.
            EXPECT_EQ(writeClock->SentCount() - written, c.commands.size());
            WaitForFrames(from, c.commands.size());
            std::vector<int> commands;
            for (const sim::TraceEvent& frame : Frames(from))
                commands.push_back(frame.cmd);
            EXPECT_EQ(commands, c.commands);
            if (c.shown) {
                EXPECT_TRUE(c.shown());
            }
        }
    });
}

TEST_F(WindowBusTest, StatusThroughTheWindowMatchesTheToolsOwnReading) {
    StartApp();
    RunSim();
    Result throughWindow;
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        ClickAt(dlg, SwatchPoint(5));
        ClickAt(dlg, ModePoint(2));
        throughWindow =
            Ctl({QStringLiteral("status"), QStringLiteral("--json"), QStringLiteral("--dump")});
    });
    ASSERT_EQ(throughWindow.exitCode, 0) << throughWindow.err.toStdString();
    // No window: the tool opens the controller itself.
    ASSERT_FALSE(client.NameHasOwner(QLatin1String(UtilityBus::ServiceName)));
    const Result alone =
        Ctl({QStringLiteral("status"), QStringLiteral("--json"), QStringLiteral("--dump")});
    ASSERT_EQ(alone.exitCode, 0) << alone.err.toStdString();
    EXPECT_EQ(throughWindow.out, alone.out);
    const QJsonObject status = QJsonDocument::fromJson(alone.out).object();
    EXPECT_EQ(status.value("swatch").toInt(), 5);
    EXPECT_EQ(status.value("mode_index").toInt(), 2);
}

TEST_F(WindowBusTest, FirmwareIsRefusedWhileTheWindowHoldsTheController) {
    StartApp();
    RunSim();
    tools.Write("image.bin", QByteArray(300, '\x5A'));
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        const std::size_t from = TraceSize();
        const Result result =
            Ctl({QStringLiteral("firmware"), QStringLiteral("--yes"), tools.File("image.bin")});
        EXPECT_EQ(result.exitCode, 7);
        EXPECT_TRUE(result.err.contains("Firmware Update")) << result.err.toStdString();
        EXPECT_TRUE(Frames(from).empty());
        EXPECT_TRUE(dlg.IsConnected());
    });
}

TEST_F(WindowBusTest, WhileTheWindowHasADialogOpenTheToolIsTurnedAway) {
    StartApp();
    RunSim();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        Result result;
        std::size_t from = 0;
        // The help dialog stands in for any dialog of the window, a firmware update above all.
        QTimer::singleShot(0, [&] {
            from = TraceSize();
            result = Ctl({QStringLiteral("color"), QStringLiteral("blue")});
            if (auto* help = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                help->reject();
        });
        fw::SendMessage(&dlg, fw::WM_COMMAND, GlimraUtilityDlg::ID_HELP, 0);
        EXPECT_EQ(result.exitCode, 6) << result.err.toStdString();
        EXPECT_TRUE(Frames(from).empty());
    });
}

TEST_F(WindowBusTest, AWindowWithoutAControllerLeavesTheToolToItself) {
    StartApp();
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitForConnectionChange(dlg));
        ASSERT_FALSE(dlg.IsConnected());
        const Result result = Ctl({QStringLiteral("status"), QStringLiteral("--json")});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, QByteArray("{\"connected\":false}\n"));
    });
}

TEST_F(WindowBusTest, ASecondStartBringsTheHiddenWindowBack) {
    StartApp();
    RunSim();
    // This process stands for the running instance: it holds the guard a second start meets.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", tools.File("xdg").toLocal8Bit());
    fw::InstanceGuard guard;
    ASSERT_EQ(guard.Acquire(QStringLiteral("TavrelCtrl")), fw::InstanceGuard::Result::Created);
    QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/glimra-utility"), program.File("glimra-utility"));
    WithWindow([&](GlimraUtilityDlg& dlg) {
        ASSERT_TRUE(WaitConnected(dlg));
        dlg.Widget()->hide(); // as the notification area keeps it
        const Result second = RunProgram(program.File("glimra-utility"), {});
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_TRUE(second.err.contains("Application already exist!"));
        EXPECT_TRUE(dlg.Widget()->isVisible());
    });
    guard.Release();
    qputenv("XDG_RUNTIME_DIR", runtime);
}

} // namespace
