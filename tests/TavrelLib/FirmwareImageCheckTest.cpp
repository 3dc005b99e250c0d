#include "Task/FirmwareImageCheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class FirmwareImageCheckTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QString WriteFile(const char* name, const QByteArray& bytes) const {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir dir;
};

// Every kind of path the user may give; a FIFO with no writer returns at once, since it is
// never opened for reading.
TEST_F(FirmwareImageCheckTest, TellsImagesFromWhatCannotBeSent) {
    ASSERT_TRUE(dir.isValid());
    const QString image = WriteFile("image.bin", QByteArray(300, '\x5A'));
    const QString empty = WriteFile("empty.bin", QByteArray());
    const QString fifo = Path("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(image, Path("link-to-image")));
    ASSERT_TRUE(QFile::link("/dev/zero", Path("link-to-zero")));
    ASSERT_TRUE(QFile::link(Path("nowhere"), Path("dangling")));

    const struct {
        QString path;
        FirmwareImageStatus expected;
    } cases[] = {
        {image, FirmwareImageStatus::Ok},
        {Path("link-to-image"), FirmwareImageStatus::Ok},
        {empty, FirmwareImageStatus::Invalid},
        {fifo, FirmwareImageStatus::Invalid},
        {"/dev/zero", FirmwareImageStatus::Invalid},
        {Path("link-to-zero"), FirmwareImageStatus::Invalid},
        {dir.path(), FirmwareImageStatus::Invalid},
        {Path("missing.bin"), FirmwareImageStatus::Unreadable},
        {Path("dangling"), FirmwareImageStatus::Unreadable},
        {QString(), FirmwareImageStatus::Unreadable},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckFirmwareImage(c.path), c.expected) << c.path.toStdString();
}

// A file the user may not read is reported as such, not as an invalid image. Root reads
// everything, so root looks from an unprivileged child.
TEST_F(FirmwareImageCheckTest, AnImageTheUserMayNotOpenIsUnreadable) {
    ASSERT_TRUE(dir.isValid());
    const QString image = WriteFile("image.bin", QByteArray(300, '\x5A'));
    ASSERT_TRUE(QFile::setPermissions(image, QFile::WriteOwner));
    if (geteuid() != 0) {
        EXPECT_EQ(CheckFirmwareImage(image), FirmwareImageStatus::Unreadable);
        return;
    }
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ExeOther));
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(100);
        _exit(CheckFirmwareImage(image) == FirmwareImageStatus::Unreadable ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
