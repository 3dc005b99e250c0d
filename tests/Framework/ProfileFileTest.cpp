#include "Framework/ProfileFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QByteArray kSample = "; settings\n"
                           "[Settings]\n"
                           "Language = zh_CN \n"
                           "OpenLog=1\n"
                           "Quoted=\"  spaced  \"\n"
                           "Empty=\n"
                           "[Other]\n"
                           "Language=other\n";

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override { folder.Write("settings.ini", kSample); }
    fw::ProfileFile Profile() const { return fw::ProfileFile(folder.File("settings.ini")); }
    TempFolder folder;
};

TEST_F(ProfileFileTest, SectionsAndKeysMatchWithoutCaseAndValuesAreTrimmed) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {"Settings", "Language", "zh_CN"},    {"SETTINGS", "language", "zh_CN"},
        {"settings", "LANGUAGE", "zh_CN"},    {"Other", "Language", "other"},
        {"Settings", "Quoted", "  spaced  "}, {"Settings", "Empty", ""},
        {"Settings", "Missing", "default"},   {"Nowhere", "Language", "default"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Profile().ReadString(c.section, c.key, "default"), QString(c.expected))
            << c.section << "/" << c.key;
    }
}

TEST_F(ProfileFileTest, TextIsCutToTheBufferLessItsTerminator) {
    const QString longValue(2000, QLatin1Char('x'));
    ASSERT_TRUE(Profile().WriteString("Settings", "Long", longValue));
    EXPECT_EQ(Profile().ReadString("Settings", "Long", "").size(), 1023);
    EXPECT_EQ(Profile().ReadString("Settings", "Missing", longValue).size(), 1023);
    EXPECT_EQ(Profile().ReadString("Settings", "Language", "", 3), QString("zh"));
}

TEST_F(ProfileFileTest, IntegersParseLikeTheProfileRoutines) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"12", 12},   {"  7", 7},    {"-3", -3}, {"0x1F", 31},
        {"0b101", 5}, {"12abc", 12}, {"abc", 0}, {"4294967295", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fw::ProfileFile::ParseInt(c.text), c.expected) << c.text;

    EXPECT_EQ(Profile().ReadInt("Settings", "openlog", 9), 1);
    EXPECT_EQ(Profile().ReadInt("Settings", "Empty", 9), 9);
    EXPECT_EQ(Profile().ReadInt("Settings", "Missing", 9), 9);
    EXPECT_EQ(Profile().ReadInt("Settings", "Language", 9), 0);
}

TEST_F(ProfileFileTest, WritingReplacesTheKeyInPlaceAndKeepsEverythingElse) {
    ASSERT_TRUE(Profile().WriteString("settings", "LANGUAGE", "en_US"));
    ASSERT_TRUE(Profile().WriteString("Settings", "MinToTray", "1"));
    EXPECT_EQ(Profile().ReadString("Settings", "Language", ""), QString("en_US"));
    EXPECT_EQ(Profile().ReadString("Other", "Language", ""), QString("other"));
    EXPECT_EQ(Profile().ReadString("Settings", "MinToTray", ""), QString("1"));
    // The new key joins its own section, not the end of the file.
    const QByteArray text = folder.Read("settings.ini");
    EXPECT_LT(text.indexOf("MinToTray=1"), text.indexOf("[Other]"));
    EXPECT_TRUE(text.startsWith("; settings\n[Settings]\n"));
}

TEST(ProfileFileCreation, AMissingFileGetsTheSectionAndKey) {
    TempFolder folder;
    fw::ProfileFile profile(folder.File("new.ini"));
    ASSERT_TRUE(profile.WriteString("Settings", "Language", "en_US"));
    EXPECT_EQ(folder.Read("new.ini"), QByteArray("[Settings]\nLanguage=en_US\n"));
}

TEST(ProfileFileCreation, AnUnwritableFolderReportsFailure) {
    fw::ProfileFile profile("/proc/glimra-no-such-folder/settings.ini");
    EXPECT_FALSE(profile.WriteString("Settings", "Language", "en_US"));
    EXPECT_EQ(profile.ReadString("Settings", "Language", "fallback"), QString("fallback"));
}

template <std::size_t N> QByteArray Bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

// Bytes the program did not set stay as they were: other encodings, invalid UTF-8, CR LF
// line ends, a last line without its end.
TEST(ProfileFileBytes, AWriteChangesOnlyItsOwnLine) {
    struct Case {
        const char* label;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"binary", Bytes("\x89PNG\r\n\x1a\n\x00\xff\n[Settings]\nLanguage=zh_CN\n\xc3\x28tail"),
         Bytes("\x89PNG\r\n\x1a\n\x00\xff\n[Settings]\nLanguage=en_US\n\xc3\x28tail")},
        {"crlf", "[Settings]\r\nOpenLog=1\r\n", "[Settings]\r\nOpenLog=1\r\nLanguage=en_US\r\n"},
        {"no last end", "[Settings]\nOpenLog=1", "[Settings]\nOpenLog=1\nLanguage=en_US\n"},
        {"other section", "[Other]\nx=\xff\n", "[Other]\nx=\xff\n[Settings]\nLanguage=en_US\n"},
        {"utf-16", Bytes("\xff\xfe[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\n\0x\0=\0\x2d\x4e\n\0"),
         Bytes("\xff\xfe[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\n\0x\0=\0\x2d\x4e\n\0"
               "L\0a\0n\0g\0u\0a\0g\0e\0=\0e\0n\0_\0U\0S\0\n\0")},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Write("settings.ini", c.before);
        fw::ProfileFile profile(folder.File("settings.ini"));
        ASSERT_TRUE(profile.WriteString("Settings", "Language", "en_US")) << c.label;
        EXPECT_EQ(folder.Read("settings.ini"), c.after) << c.label;
        EXPECT_EQ(profile.ReadString("Settings", "Language", ""), QString("en_US")) << c.label;
    }
}

// A FIFO, a device or a file far too large for settings: read as empty, never written over.
TEST(ProfileFileBytes, SomethingThatIsNoSettingsFileIsNeitherReadNorReplaced) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.File("fifo.ini")).constData(), 0600), 0);
    QFile::link("/dev/zero", folder.File("zero.ini"));
    const QByteArray huge = "[Settings]\nOpenLog=1\n" + QByteArray(2 * 1024 * 1024, ';');
    folder.Write("huge.ini", huge);
    for (const char* name : {"fifo.ini", "zero.ini", "huge.ini"}) {
        fw::ProfileFile profile(folder.File(name));
        EXPECT_EQ(profile.ReadInt("Settings", "OpenLog", 7), 7) << name;
        EXPECT_FALSE(profile.WriteString("Settings", "Language", "en_US")) << name;
    }
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.File("fifo.ini")).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(QFile::symLinkTarget(folder.File("zero.ini")), QString("/dev/zero"));
    EXPECT_EQ(folder.Read("huge.ini"), huge);
}

} // namespace
