#include "Framework/ProfileFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

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

} // namespace
