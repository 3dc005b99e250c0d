#include "Framework/FileException.h"

#include "Framework/MessageBox.h"

#include <cerrno>

namespace fw {

FileException::FileException(Cause cause, int osError, const QString& fileName)
    : cause_(cause), osError_(osError), fileName_(fileName) {
    what_ = ErrorMessage().toUtf8();
}

FileException::Cause FileException::OsErrorToCause(int osError) {
    switch (osError) {
    case ENOENT:
    case ENOTDIR:
        return FileNotFound;
    case EACCES:
    case EPERM:
        return AccessDenied;
    default:
        return Generic;
    }
}

void FileException::ThrowOsError(int osError, const QString& fileName) {
    throw FileException(OsErrorToCause(osError), osError, fileName);
}

QString FileException::ErrorMessage() const {
    switch (cause_) {
    case FileNotFound:
        return QStringLiteral("File not found: %1").arg(fileName_);
    case AccessDenied:
        return QStringLiteral("Access denied: %1").arg(fileName_);
    case Generic:
        break;
    }
    return QStringLiteral("An error occurred while accessing %1").arg(fileName_);
}

void FileException::ReportError() const {
    MessageBox(nullptr, ErrorMessage(), QString(), MB_OK);
}

bool RunReportingFileErrors(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const FileException& e) {
        e.ReportError();
        return false;
    }
}

} // namespace fw
