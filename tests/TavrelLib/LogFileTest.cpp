#include "App/LogFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The log is a file of our own put in place of whatever stood there: a file linked elsewhere
// keeps its bytes, and a FIFO (which would block the window once full) is replaced, not fed.
TEST(LogFileTest, OpeningReplacesWhatStoodThereWithoutWritingThroughIt) {
    TempFolder folder;
    folder.Write("elsewhere.txt", "the user's own text");
    ASSERT_EQ(::link(QFile::encodeName(folder.File("elsewhere.txt")).constData(),
                     QFile::encodeName(folder.File("log.txt")).constData()),
              0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.File("fifo.txt")).constData(), 0600), 0);
    {
        LogFile log;
        ASSERT_TRUE(log.Open(folder.File("log.txt")));
        log.Write("x");
    }
    EXPECT_EQ(folder.Read("elsewhere.txt"), QByteArray("the user's own text"));
    EXPECT_EQ(folder.Read("log.txt"), QByteArray("\xFF\xFEx\0", 4));

    LogFile log;
    ASSERT_TRUE(log.Open(folder.File("fifo.txt")));
    for (int i = 0; i < 2000; ++i) // far more than a pipe holds
        log.Write(QString(64, QLatin1Char('r')));
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.File("fifo.txt")).constData(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_size, 2 + 2000 * 128);
}

// A log that can no longer be written stops, saying so once, and the program goes on.
TEST(LogFileTest, AWriteThatFailsEndsTheLogWithOneLine) {
    TempFolder folder;
    const pid_t child = fork();
    if (child == 0) {
        FILE* err =
            std::freopen(QFile::encodeName(folder.File("stderr.txt")).constData(), "w", stderr);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100}; // bytes any file of ours may hold
        if (!err || setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(100);
        LogFile log;
        if (!log.Open(folder.File("log.txt")))
            _exit(101);
        for (int i = 0; i < 10; ++i)
            log.Write(QString(20, QLatin1Char('r')));
        _exit(log.IsOpen() ? 102 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const QByteArray said = folder.Read("stderr.txt");
    EXPECT_EQ(said.count('\n'), 1) << said.constData();
    EXPECT_TRUE(said.contains("logging stops")) << said.constData();
}

} // namespace
