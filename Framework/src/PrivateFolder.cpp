#include "Framework/PrivateFolder.h"

#include "Framework/Trace.h"

#include <QFile>
#include <QSet>

#include <mutex>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

QString PrivateFolderProblem(const QString& path) {
    struct stat status = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("The folder %1 cannot be used: %2")
            .arg(path, QString::fromLocal8Bit(std::strerror(path.isEmpty() ? ENOENT : errno)));
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is not a folder; it is not used.").arg(path);
    if (status.st_uid != ::geteuid())
        return QStringLiteral("The folder %1 belongs to another user (uid %2); it is not used.")
            .arg(path)
            .arg(status.st_uid);
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("The folder %1 may be written by other users (mode %2); it is not "
                              "used.")
            .arg(path)
            .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

QString MakePrivateFolder(const QString& path) {
    // A folder that is already there keeps its mode: it is judged, not repaired.
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return PrivateFolderProblem(path);
}

bool AcceptFolder(const QString& problem) {
    if (problem.isEmpty())
        return true;
    static std::mutex mutex;
    static QSet<QString> reported;
    std::lock_guard lock(mutex);
    if (!reported.contains(problem)) {
        reported.insert(problem);
        Trace(problem);
    }
    return false;
}

} // namespace fw
