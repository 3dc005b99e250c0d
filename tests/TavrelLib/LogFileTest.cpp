#include "App/LogFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(LogFileTest, WritesUtf16LittleEndianAfterAByteOrderMarkAndIgnoresALaterOpen) {
    TempFolder folder;
    LogFile log;
    log.Open(folder.File("log.txt"));
    ASSERT_TRUE(log.IsOpen());
    EXPECT_EQ(folder.Read("log.txt"), QByteArray("\xFF\xFE", 2));
    log.Write(QString::fromUtf8("A\r\n中"));
    // Flushed: the bytes are in the file before anything else happens.
    EXPECT_EQ(folder.Read("log.txt"), QByteArray("\xFF\xFE"
                                                 "A\0\r\0\n\0\x2D\x4E",
                                                 10));
    log.Open(folder.File("other.txt"));
    EXPECT_FALSE(QFile::exists(folder.File("other.txt")));
    log.Write(QString());
    EXPECT_EQ(folder.Read("log.txt").size(), 10);
}

TEST(LogFileTest, OpeningEmptiesTheLogOfAnEarlierRun) {
    TempFolder folder;
    folder.Write("log.txt", QByteArray(100, 'x'));
    LogFile log;
    log.Open(folder.File("log.txt"));
    EXPECT_EQ(folder.Read("log.txt"), QByteArray("\xFF\xFE", 2));
}

TEST(LogFileTest, ALogThatCannotBeCreatedIgnoresEveryWrite) {
    LogFile log;
    log.Open("/proc/glimra-no-such-folder/log.txt");
    EXPECT_FALSE(log.IsOpen());
    log.Write("ignored");
    EXPECT_FALSE(log.IsOpen());
}

} // namespace
