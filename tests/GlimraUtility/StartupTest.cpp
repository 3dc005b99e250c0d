#include "GlimraUtilityApp.h"

#include "TempFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

// A copy of the program in a scratch program folder, started the way a user would start it,
// with its own runtime folder so that its single-instance guard is its own.
class ProgramFolder {
public:
    explicit ProgramFolder(bool withPacks = true) {
        QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/glimra-utility"),
                    folder.File("glimra-utility"));
        // Without its skin the window would end at once.
        QFile::link(QStringLiteral(GLIMRA_BIN_DIR "/image"), folder.File("image"));
        if (withPacks) {
            QDir().mkpath(folder.File("lang"));
            for (const char* code : {"en_US", "zh_CN"}) {
                const QString name = QStringLiteral("lang/%1.rcc").arg(code);
                QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/") + name, folder.File(name));
            }
        }
        QDir().mkpath(runtime.Path());
        QFile::setPermissions(runtime.Path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::unique_ptr<QProcess> Start(const QMap<QString, QString>& env = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
            e.remove(name);
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("XDG_RUNTIME_DIR", runtime.Path());
        // The program writes its fonts to the user's fonts folder: keep ours out of it.
        e.insert("XDG_DATA_HOME", runtime.File("data"));
        e.insert("GLIMRA_AUTO_DISMISS", "1");
        for (auto it = env.begin(); it != env.end(); ++it)
            e.insert(it.key(), it.value());
        process->setProcessEnvironment(e);
        process->start(folder.File("glimra-utility"), {});
        process->waitForStarted();
        return process;
    }

    // Waits until the started program has created its settings file and holds its guard.
    bool WaitUntilRunning(QProcess& process) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (process.state() != QProcess::Running)
                return false;
            if (QFile::exists(folder.File("settings.ini")) &&
                QFile::exists(runtime.File("TavrelCtrl.lock")) &&
                !folder.Read("settings.ini").isEmpty())
                return true;
            QThread::msleep(20);
        }
        return false;
    }

    static int Stop(QProcess& process) {
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        if (!process.waitForFinished(10000))
            return -1000;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    TempFolder folder;
    TempFolder runtime;
};

TEST(StartupTest, AFirstStartInAnEmptyFolderCreatesSettingsWithTheLanguageOnly) {
    ProgramFolder program(false);
    auto process = program.Start();
    ASSERT_TRUE(program.WaitUntilRunning(*process));
    EXPECT_EQ(ProgramFolder::Stop(*process), 0);
    EXPECT_EQ(program.folder.Read("settings.ini"), QByteArray("[Settings]\nLanguage=en_US\n"));
    EXPECT_FALSE(QFile::exists(program.folder.File("log.txt")));
}

TEST(StartupTest, AChineseLocaleWithoutTheKeyPicksTheChinesePack) {
    ProgramFolder program;
    auto process = program.Start({{"LANG", "zh_TW.UTF-8"}});
    ASSERT_TRUE(program.WaitUntilRunning(*process));
    EXPECT_EQ(ProgramFolder::Stop(*process), 0);
    EXPECT_EQ(program.folder.Read("settings.ini"), QByteArray("[Settings]\nLanguage=zh_CN\n"));
}

TEST(StartupTest, TheLogIsRecreatedAtEachStartWhenAskedFor) {
    ProgramFolder program;
    program.folder.Write("settings.ini", "[Settings]\nOpenLog=1\n");
    program.folder.Write("log.txt", "left over from the last run");
    auto process = program.Start();
    ASSERT_TRUE(program.WaitUntilRunning(*process));
    // The log is opened just after the guard: give it the moment between the two.
    QElapsedTimer clock;
    clock.start();
    while (program.folder.Read("log.txt") != QByteArray("\xFF\xFE", 2) && clock.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_EQ(program.folder.Read("log.txt"), QByteArray("\xFF\xFE", 2));
    EXPECT_EQ(ProgramFolder::Stop(*process), 0);
}

TEST(StartupTest, ASecondStartIsRefusedAndLeavesTheRunningInstanceAndItsLogAlone) {
    ProgramFolder program;
    program.folder.Write("settings.ini", "[Settings]\nOpenLog=1\n");
    auto first = program.Start();
    ASSERT_TRUE(program.WaitUntilRunning(*first));
    program.folder.Write("log.txt", QByteArray("\xFF\xFE"
                                               "x\0",
                                               4)); // as if the first wrote

    auto second = program.Start();
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().contains("Application already exist!"));
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(program.folder.Read("log.txt"), QByteArray("\xFF\xFE"
                                                         "x\0",
                                                         4));
    EXPECT_EQ(ProgramFolder::Stop(*first), 0);
}

TEST(StartupTest, AMainWindowThatCannotBeCreatedEndsTheProgramWithTwoTraceLines) {
    ProgramFolder program(false);
    QDir().mkpath(program.folder.File("lang"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(GLIMRA_TEST_PACK_DIR "/pack-without-main.rcc"),
                            program.folder.File("lang/en_US.rcc")));
    auto process = program.Start();
    ASSERT_TRUE(process->waitForFinished(10000));
    EXPECT_EQ(process->exitCode(), 0);
    const QList<QByteArray> lines = process->readAllStandardError().split('\n');
    EXPECT_EQ(lines.count(QByteArray("Warning: the main window could not be created.")), 1);
    EXPECT_EQ(lines.count(QByteArray("Warning: the application is ending.")), 1);
}

TEST(StartupTest, FifteenFontRegistrationsLeaveTwoFonts) {
    GlimraUtilityApp app;
    app.RegisterFonts();
    const auto& fonts = app.FontInstaller().Fonts();
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0]->name, QString("Camelot MF"));
    EXPECT_EQ(fonts[0]->resourceId, 1042);
    EXPECT_EQ(fonts[1]->name, QString("Gotham-Black"));
    EXPECT_EQ(fonts[1]->resourceId, 1028);
    EXPECT_EQ(fonts[1]->resourceType, QString("FONTS"));
}

} // namespace
