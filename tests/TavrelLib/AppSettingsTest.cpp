#include "App/CTavrelLibApp.h"
#include "App/LoadText.h"
#include "App/LogFile.h"
#include "Framework/ProfileFile.h"
#include "Framework/Resources.h"

#include "TempFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>

namespace {

// A program folder in a scratch directory, with or without the two language packs, and the
// locale variables under the test's control.
class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kLocaleVars) {
            saved_[name] = qgetenv(name);
            qunsetenv(name);
        }
    }
    void TearDown() override {
        app.ExitInstance();
        for (const char* name : kLocaleVars) {
            if (saved_[name].isNull())
                qunsetenv(name);
            else
                qputenv(name, saved_[name]);
        }
    }

    void InstallPacks() {
        QDir().mkpath(folder.File("lang"));
        for (const char* code : {"en_US", "zh_CN"}) {
            const QString name = QStringLiteral("lang/%1.rcc").arg(code);
            QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/") + name, folder.File(name));
        }
    }
    void WriteSettings(const QByteArray& text) { folder.Write("settings.ini", text); }
    void Start() { app.LoadSettingsFor(folder.File("glimra-utility")); }
    QString StoredLanguage() const {
        return fw::ProfileFile(folder.File("settings.ini")).ReadString("Settings", "Language", "-");
    }

    static constexpr const char* kLocaleVars[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    TempFolder folder;
    CTavrelLibApp app;

private:
    std::map<std::string, QByteArray> saved_;
};

TEST_F(AppSettingsTest, AFirstStartCreatesSettingsHoldingOnlyTheLanguage) {
    InstallPacks();
    Start();
    EXPECT_EQ(folder.Read("settings.ini"), QByteArray("[Settings]\nLanguage=en_US\n"));
    EXPECT_EQ(app.ProgramFolder(), folder.Path());
    EXPECT_EQ(app.GetImagePath(), folder.Path() + "image/");
    EXPECT_EQ(app.SettingsPath(), folder.File("settings.ini"));
    EXPECT_TRUE(app.LanguagePackLoaded());
}

TEST_F(AppSettingsTest, TheLanguageComesFromTheSettingsOrTheLocale) {
    struct Case {
        const char* stored; // nullptr: no "Language" key
        std::map<const char*, const char*> env;
        bool packs;
        const char* expected;
        const char* kept = nullptr; // what the settings keep, when not the language in force
    } cases[] = {
        {"zh_CN", {}, true, "zh_CN"},
        {"zh_cn", {}, true, "en_US"}, // the code is compared exactly
        {"fr_FR", {}, true, "en_US"},
        {"", {}, true, "en_US"},
        {nullptr, {{"LANG", "zh_TW.UTF-8"}}, true, "zh_CN"},
        {nullptr, {{"LANG", "zh_HK"}}, true, "zh_CN"},
        {nullptr, {{"LANG", "de_DE.UTF-8"}}, true, "en_US"},
        {nullptr, {{"LC_MESSAGES", "zh_CN.UTF-8"}, {"LANG", "en_GB"}}, true, "zh_CN"},
        {nullptr, {{"LC_ALL", "en_US.UTF-8"}, {"LANG", "zh_CN.UTF-8"}}, true, "en_US"},
        {nullptr, {}, true, "en_US"},
        // The pack is missing: English serves, and the choice is kept for when it is back.
        {"zh_CN", {}, false, "en_US", "zh_CN"},
    };
    for (const Case& c : cases) {
        TempFolder caseFolder;
        for (const char* name : kLocaleVars)
            qunsetenv(name);
        for (const auto& [name, value] : c.env)
            qputenv(name, value);
        if (c.packs) {
            QDir().mkpath(caseFolder.File("lang"));
            for (const char* code : {"en_US", "zh_CN"}) {
                const QString name = QStringLiteral("lang/%1.rcc").arg(code);
                QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/") + name, caseFolder.File(name));
            }
        }
        if (c.stored)
            caseFolder.Write("settings.ini", QByteArray("[Settings]\nLanguage=") + c.stored + "\n");
        CTavrelLibApp caseApp;
        caseApp.LoadSettingsFor(caseFolder.File("glimra-utility"));
        const QString label = QStringLiteral("stored=%1").arg(c.stored ? c.stored : "(none)");
        EXPECT_EQ(caseApp.GetLanguage(), QString(c.expected)) << label.toStdString();
        EXPECT_EQ(fw::ProfileFile(caseFolder.File("settings.ini"))
                      .ReadString("Settings", "Language", "-"),
                  QString(c.kept ? c.kept : c.expected))
            << label.toStdString();
        caseApp.ExitInstance();
    }
}

TEST_F(AppSettingsTest, TextsFollowTheLanguageAndFallBackAfterAFailedSwitch) {
    InstallPacks();
    WriteSettings("[Settings]\nLanguage=zh_CN\n");
    Start();
    ASSERT_EQ(app.GetLanguage(), QString("zh_CN"));
    EXPECT_EQ(LoadText(1062), QString::fromUtf8("未找到设备！"));
    EXPECT_EQ(LoadText(101), QString::fromUtf8("关于 GlimraUtility(&A)..."));

    EXPECT_TRUE(app.LoadLanguagePack(1));
    EXPECT_EQ(LoadText(1062), QString("Device not found!"));
    EXPECT_EQ(StoredLanguage(), QString("en_US"));

    EXPECT_TRUE(app.LoadLanguagePack(0));
    EXPECT_EQ(StoredLanguage(), QString("zh_CN"));

    // The pack goes missing: the switch fails, the one in force is gone, and the
    // program's own English resources serve.
    ASSERT_TRUE(QFile::remove(folder.File("lang/en_US.rcc")));
    EXPECT_FALSE(app.LoadLanguagePack(1));
    EXPECT_FALSE(app.LanguagePackLoaded());
    EXPECT_EQ(app.GetLanguage(), QString("en_US"));
    EXPECT_EQ(StoredLanguage(), QString("en_US"));
    EXPECT_EQ(fw::Resources::Source(), fw::Resources::ProgramRoot());
    EXPECT_EQ(LoadText(1062), QString("Device not found!"));
    EXPECT_TRUE(fw::Resources::LoadDialog(103));
}

TEST_F(AppSettingsTest, SettingsAreReadAndWrittenThroughTheSettingsFile) {
    WriteSettings("[settings]\nopenlog=1\nMinToTray=1\nLogFileName=custom.log\n");
    Start();
    int minToTray = -1;
    app.ReadSettingInt("Settings", "MinToTray", minToTray, 0);
    EXPECT_EQ(minToTray, 1);
    app.WriteSettingString("Settings", "MinToTray", "0");
    app.ReadSettingInt("Settings", "MinToTray", minToTray, 5);
    EXPECT_EQ(minToTray, 0);
    QString name;
    app.ReadSettingString("Settings", "LogFileName", name, "log.txt");
    EXPECT_EQ(name, QString("custom.log"));
    app.ReadSettingString("Settings", "Nothing", name, "fallback");
    EXPECT_EQ(name, QString("fallback"));
}

// Checks where settings go for a program folder the caller cannot write; 0 when as expected.
int CheckDataFolderFallback(const QString& programFolder, const QString& configHome) {
    qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
    CTavrelLibApp app;
    app.LoadSettingsFor(programFolder + "glimra-utility");
    int failures = 0;
    failures += app.DataFolder() != configHome + "/glimra-utility/";
    failures += !QFile::exists(configHome + "/glimra-utility/settings.ini");
    failures += QFile::exists(programFolder + "settings.ini");
    failures += app.SettingsPath() != configHome + "/glimra-utility/settings.ini";
    app.ExitInstance();
    return failures;
}

TEST(AppDataFolderTest, AnUnwritableProgramFolderKeepsSettingsInTheUserConfigFolder) {
    TempFolder program;
    TempFolder config;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    if (geteuid() != 0) {
        QFile::setPermissions(program.Path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(CheckDataFolderFallback(program.Path(), config.Path()), 0);
        QFile::setPermissions(program.Path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        // Root writes every folder: look from an unprivileged user, as a user of an installed
        // copy would.
        QFile::setPermissions(program.Path(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ExeOwner | QFile::ReadOther |
                                                  QFile::ExeOther);
        QFile::setPermissions(config.Path(), QFile::ReadOwner | QFile::WriteOwner |
                                                 QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::WriteOther | QFile::ExeOther);
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(100);
            _exit(CheckDataFolderFallback(program.Path(), config.Path()));
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

class LogOpeningApp : public CTavrelLibApp {
public:
    using CTavrelLibApp::OpenLogIfAsked;
};

// LogFileName names a file in the data folder and nothing else: a path that climbs out, an
// absolute one or a name the file system can't hold is refused with a line on stderr, and the
// log goes to log.txt; nothing is written outside the folder.
TEST(AppLogFileNameTest, OnlyANameInTheDataFolderIsTaken) {
    TempFolder outside;
    outside.Write("victim.txt", "keep me");
    struct Case {
        QString name;
        const char* file; // where the log goes, in the data folder
    } cases[] = {
        {"custom.log", "custom.log"},
        {"../../escaped.txt", "log.txt"},
        {"../escaped.txt", "log.txt"},
        {outside.File("victim.txt"), "log.txt"},
        {"sub/inner.txt", "log.txt"},
        {"..", "log.txt"},
        {QString(300, QLatin1Char('n')), "log.txt"},
    };
    for (const Case& c : cases) {
        TempFolder root;
        QDir().mkpath(root.File("a/b/program"));
        const QString program = root.File("a/b/program/");
        {
            QFile settings(program + "settings.ini");
            ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
            settings.write("[Settings]\nOpenLog=1\nLogFileName=" + c.name.toUtf8() + "\n");
        }
        LogOpeningApp app;
        app.LoadSettingsFor(program + "glimra-utility");
        testing::internal::CaptureStderr();
        app.OpenLogIfAsked();
        const std::string said = testing::internal::GetCapturedStderr();
        const bool open = LogFile::GetInstance().IsOpen();
        LogFile::GetInstance().Close();
        app.ExitInstance();

        const std::string label = c.name.left(40).toStdString();
        EXPECT_TRUE(open) << label;
        EXPECT_TRUE(QFile::exists(program + c.file)) << label;
        EXPECT_EQ(said.empty(), QString(c.file) == c.name) << label << ": " << said;
        if (!said.empty()) {
            EXPECT_NE(said.find("LogFileName"), std::string::npos) << said;
        }
        EXPECT_FALSE(QFile::exists(root.File("escaped.txt"))) << label;
        EXPECT_FALSE(QFile::exists(root.File("a/escaped.txt"))) << label;
        EXPECT_FALSE(QFile::exists(root.File("a/b/escaped.txt"))) << label;
        EXPECT_EQ(outside.Read("victim.txt"), QByteArray("keep me")) << label;
    }
}

} // namespace
