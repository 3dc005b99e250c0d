#include "Framework/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

RegularFileStatus FromErrno(int error) {
    return error == ENOENT || error == ENOTDIR || error == ELOOP ? RegularFileStatus::Missing
                                                                 : RegularFileStatus::Unreadable;
}

} // namespace

int OpenRegularFile(const QString& path, RegularFileStatus* status, std::int64_t* size) {
    const QByteArray name = QFile::encodeName(path);
    struct stat before = {};
    if (name.isEmpty() || ::stat(name.constData(), &before) != 0) {
        *status = name.isEmpty() ? RegularFileStatus::Missing : FromErrno(errno);
        return -1;
    }
    if (!S_ISREG(before.st_mode)) {
        *status = RegularFileStatus::NotRegular;
        return -1;
    }
    // Non-blocking, so that a FIFO put in its place meanwhile can't hold the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *status = FromErrno(errno);
        return -1;
    }
    struct stat opened = {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        *status = RegularFileStatus::NotRegular;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (size)
        *size = opened.st_size;
    *status = RegularFileStatus::Ok;
    return fd;
}

RegularFileStatus ReadRegularFile(const QString& path, std::int64_t maxBytes, QByteArray* bytes) {
    bytes->clear();
    RegularFileStatus status = RegularFileStatus::Ok;
    std::int64_t size = 0;
    const int fd = OpenRegularFile(path, &status, &size);
    if (fd < 0)
        return status;
    if (size > maxBytes) {
        ::close(fd);
        return RegularFileStatus::TooLarge;
    }
    // Read at most one byte past the cap, so a file that grew meanwhile is still caught.
    QByteArray data(static_cast<qsizetype>(size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::read(fd, data.data() + got, static_cast<size_t>(data.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return RegularFileStatus::Unreadable;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    if (got > maxBytes)
        return RegularFileStatus::TooLarge;
    data.truncate(got);
    *bytes = std::move(data);
    return RegularFileStatus::Ok;
}

RegularFileStatus CheckRegularFile(const QString& path, std::int64_t* size) {
    RegularFileStatus status = RegularFileStatus::Ok;
    const int fd = OpenRegularFile(path, &status, size);
    if (fd >= 0)
        ::close(fd);
    return status;
}

} // namespace fw
