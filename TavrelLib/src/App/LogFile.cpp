#include "App/LogFile.h"

#include "Framework/Trace.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return ::fdatasync(fd) == 0 || errno == EINVAL;
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

LogFile::~LogFile() {
    Close();
}

LogFile& LogFile::GetInstance() {
    static LogFile instance;
    return instance;
}

bool LogFile::Open(const QString& path) {
    if (fd_ >= 0)
        return true;
    const QByteArray name = QFile::encodeName(path);
    const qsizetype slash = name.lastIndexOf('/');
    QByteArray temp = name.left(slash + 1) + '.' + name.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        fw::Trace(QStringLiteral("The log %1 cannot be created: %2").arg(path, Reason(errno)));
        return false;
    }
    // Our file was made with mode 0600; a log is as readable as any file the user makes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    const char bom[2] = {'\xFF', '\xFE'};
    if (!WriteAll(fd, bom, sizeof bom) || ::rename(temp.constData(), name.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        ::close(fd);
        fw::Trace(QStringLiteral("The log %1 cannot be created: %2").arg(path, Reason(error)));
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void LogFile::Write(const QString& text) {
    if (fd_ < 0)
        return;
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    if (!WriteAll(fd_, bytes.constData(), static_cast<std::size_t>(bytes.size()))) {
        fw::Trace(QStringLiteral("The log %1 cannot be written (%2); logging stops.")
                      .arg(path_, Reason(errno)));
        Close();
    }
}

void LogFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
