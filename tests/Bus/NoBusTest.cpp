#include "DispatchUntil.h"
#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The program where no session bus answers: the window runs, without its bus object.
TEST(NoBusTest, TheProgramRunsWithoutASessionBus) {
    TempFolder program;
    TempFolder runtime;
    QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/glimra-utility"), program.File("glimra-utility"));
    QDir().mkpath(program.File("lang"));
    QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/lang/en_US.rcc"), program.File("lang/en_US.rcc"));
    QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/image"), program.File("image"));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime.File("no-bus-here"));
    env.insert("XDG_RUNTIME_DIR", runtime.Path());
    env.insert("GLIMRA_SIM_DIR", runtime.File("no-sim"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("GLIMRA_AUTO_DISMISS", "1");
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program.File("glimra-utility"), {});
    ASSERT_TRUE(process.waitForStarted());
    // Running: the guard is held and the window is up (its settings written).
    ASSERT_TRUE(DispatchUntil(
        [&] {
            return process.state() != QProcess::Running ||
                   (QFile::exists(runtime.File("TavrelCtrl.lock")) &&
                    !program.Read("settings.ini").isEmpty());
        },
        20000));
    ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

} // namespace
