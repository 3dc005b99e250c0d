#include "Framework/InstanceGuard.h"

#include "Framework/PrivateFolder.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

InstanceGuard::~InstanceGuard() {
    Release();
}

QString InstanceGuard::RuntimeFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QString::fromLocal8Bit(runtime);
    return QStringLiteral("/tmp/glimra-%1").arg(getuid());
}

InstanceGuard::Result InstanceGuard::Acquire(const QString& name) {
    Release();
    const QString folder = RuntimeFolder();
    // The session's own folder is made by the system; the fallback under /tmp is ours to make.
    const QString problem = qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")
                                ? MakePrivateFolder(folder)
                                : PrivateFolderProblem(folder);
    if (!AcceptFolder(problem))
        return Result::Failed;
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name + ".lock");
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? Result::AlreadyExists : Result::Failed;
    }
    fd_ = fd;
    return Result::Created;
}

void InstanceGuard::Release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace fw
