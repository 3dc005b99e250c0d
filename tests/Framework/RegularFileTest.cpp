#include "Framework/RegularFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Only a plain file is read: what would block, never end or hold no data is refused at once.
TEST(RegularFileTest, OnlyAPlainFileWithinTheCapIsRead) {
    TempFolder folder;
    folder.Write("plain", "settings");
    folder.Write("large", QByteArray(101, 'x'));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.File("fifo")).constData(), 0600), 0);
    QFile::link(folder.File("fifo"), folder.File("link-to-fifo"));
    QFile::link("/dev/zero", folder.File("link-to-zero"));
    struct Case {
        QString path;
        fw::RegularFileStatus status;
        QByteArray bytes;
    } cases[] = {
        {folder.File("plain"), fw::RegularFileStatus::Ok, "settings"},
        {folder.File("large"), fw::RegularFileStatus::TooLarge, {}},
        {folder.File("fifo"), fw::RegularFileStatus::NotRegular, {}},
        {folder.File("link-to-fifo"), fw::RegularFileStatus::NotRegular, {}},
        {folder.File("link-to-zero"), fw::RegularFileStatus::NotRegular, {}},
        {folder.Path(), fw::RegularFileStatus::NotRegular, {}},
        {folder.File("missing"), fw::RegularFileStatus::Missing, {}},
        {QString(), fw::RegularFileStatus::Missing, {}},
    };
    for (const Case& c : cases) {
        QByteArray bytes = "stale";
        EXPECT_EQ(fw::ReadRegularFile(c.path, 100, &bytes), c.status) << c.path.toStdString();
        EXPECT_EQ(bytes, c.bytes) << c.path.toStdString();
    }
    std::int64_t size = 0;
    EXPECT_EQ(fw::CheckRegularFile(folder.File("large"), &size), fw::RegularFileStatus::Ok);
    EXPECT_EQ(size, 101);
}

} // namespace
