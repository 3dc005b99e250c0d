#include "Sim/Simulator.h"
#include "TempFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>

#include <sys/stat.h>

namespace {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

bool IsFifo(const QString& path) {
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

bool IsRegular(const QString& path) {
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

// The program as a user starts it, from a program folder of its own (packs and skin beside
// it), with a simulated controller, so that its window is known to be up once the controller
// has been read.
class HostileFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/glimra-utility"),
                    program.File("glimra-utility"));
        QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/lang"), program.File("lang"));
        QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/image"), program.File("image"));
        sim::SimConfig config;
        config.dir = (runtime.Path() + "sim").toStdString();
        config.replyDelayMs = 0;
        simulator = std::make_unique<sim::Simulator>(std::move(config));
        ASSERT_TRUE(simulator->Start()) << simulator->LastError();
    }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        simulator->Stop();
    }

    void Start() {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "DBUS_SESSION_BUS_ADDRESS"})
            e.remove(name);
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("XDG_RUNTIME_DIR", runtime.Path());
        e.insert("XDG_DATA_HOME", runtime.File("data"));
        e.insert("GLIMRA_SIM_DIR", runtime.Path() + "sim");
        e.insert("GLIMRA_AUTO_DISMISS", "1");
        process.setProcessEnvironment(e);
        process.start(program.File("glimra-utility"), {});
        ASSERT_TRUE(process.waitForStarted());
    }
    std::size_t FramesReceived() const {
        std::size_t n = 0;
        for (const sim::TraceEvent& event : simulator->Trace())
            n += event.event == "frame" ? 1 : 0;
        return n;
    }
    // The window has read the controller: it is up and answering.
    bool WindowUp() {
        return WaitUntil([&] {
                   return FramesReceived() >= 4 || process.state() == QProcess::NotRunning;
               }) &&
               process.state() == QProcess::Running;
    }
    // SIGTERM; the exit code, or -1 when the program did not end normally within ten seconds.
    int Terminate() {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        if (!process.waitForFinished(10000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    TempFolder program;
    TempFolder runtime;
    std::unique_ptr<sim::Simulator> simulator;
    QProcess process;
};

// A FIFO would hang the start before any window; /dev/zero and a huge file would eat memory.
// None is read: the window comes up on the defaults, and the file is left as it was.
TEST_F(HostileFilesTest, SettingsThatAreNoFileAreLeftAloneAndTheWindowComesUp) {
    const QByteArray huge = "[Settings]\nLanguage=zh_CN\n" + QByteArray(3 * 1024 * 1024, ';');
    struct Case {
        const char* label;
        std::function<void()> make;
        std::function<bool()> untouched;
    } cases[] = {
        {"fifo",
         [&] {
             ASSERT_EQ(::mkfifo(QFile::encodeName(program.File("settings.ini")).constData(), 0600),
                       0);
         },
         [&] { return IsFifo(program.File("settings.ini")); }},
        {"/dev/zero", [&] { QFile::link("/dev/zero", program.File("settings.ini")); },
         [&] { return QFile::symLinkTarget(program.File("settings.ini")) == "/dev/zero"; }},
        {"huge", [&] { program.Write("settings.ini", huge); },
         [&] { return program.Read("settings.ini") == huge; }},
    };
    for (const Case& c : cases) {
        QFile::remove(program.File("settings.ini"));
        c.make();
        const std::size_t before = FramesReceived();
        Start();
        EXPECT_TRUE(WaitUntil([&] {
            return FramesReceived() >= before + 4 || process.state() == QProcess::NotRunning;
        })) << c.label;
        EXPECT_EQ(process.state(), QProcess::Running) << c.label;
        EXPECT_EQ(Terminate(), 0) << c.label;
        EXPECT_TRUE(c.untouched()) << c.label;
    }
}

// A FIFO as the log would block the window once the pipe filled: the log replaces it with a
// file of its own, which receives the record dump, and the window answers to the end.
TEST_F(HostileFilesTest, AFifoAsTheLogIsReplacedAndNeverBlocks) {
    program.Write("settings.ini", "[Settings]\nLanguage=en_US\nOpenLog=1\nLogFileName=pipe.log\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(program.File("pipe.log")).constData(), 0600), 0);
    Start();
    ASSERT_TRUE(WindowUp());
    EXPECT_TRUE(WaitUntil([&] { return program.Read("pipe.log").size() > 2; }));
    EXPECT_TRUE(IsRegular(program.File("pipe.log")));
    EXPECT_TRUE(program.Read("pipe.log").startsWith("\xFF\xFE"));
    EXPECT_EQ(Terminate(), 0);
}

// Without its colour plate the window can do nothing: after the message it ends, with a
// status that says so and one line of its own.
TEST_F(HostileFilesTest, AMissingPlateImageEndsTheProgramAfterTheMessage) {
    QFile::remove(program.File("image"));
    QDir().mkpath(program.File("image"));
    for (const QString& name : QDir(QStringLiteral(GLIMRA_BIN_DIR "/image")).entryList(QDir::Files))
        if (name != QLatin1String("ON.png"))
            QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/image/") + name,
                        program.File("image/" + name));
    Start();
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    const QList<QByteArray> lines = process.readAllStandardError().split('\n');
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const QByteArray& l) { return l.contains("Can not find color image."); }),
        1);
    EXPECT_EQ(lines.count("The main window's skin is incomplete; the application is ending."), 1);
    // It never got as far as the controller.
    EXPECT_EQ(FramesReceived(), 0u);
}

} // namespace
