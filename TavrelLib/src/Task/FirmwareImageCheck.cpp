#include "Task/FirmwareImageCheck.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsImage(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_size > 0;
}

} // namespace

FirmwareImageStatus CheckFirmwareImage(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return FirmwareImageStatus::Unreadable;
    struct stat status = {};
    if (stat(name.constData(), &status) != 0)
        return FirmwareImageStatus::Unreadable;
    if (!IsImage(status))
        return FirmwareImageStatus::Invalid;
    // The file may have been replaced since; a non-blocking open never waits on a FIFO, and
    // the status of what was actually opened has the last word.
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return FirmwareImageStatus::Unreadable;
    struct stat opened = {};
    const bool image = fstat(fd, &opened) == 0 && IsImage(opened);
    close(fd);
    return image ? FirmwareImageStatus::Ok : FirmwareImageStatus::Invalid;
}
