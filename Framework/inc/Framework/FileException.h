#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace fw {

// The framework's file error, and the only exception the program raises: code that cannot go
// on without a file throws it, and the message dispatch (every message handler, a dialog's
// initialisation) catches it, reports it in a message box and skips the rest of that work.
class FileException : public std::exception {
public:
    enum Cause { Generic = 1, FileNotFound = 2, AccessDenied = 5 };

    // fileName names the file in the report; a caller without a file name may put a
    // sentence there instead.
    FileException(Cause cause, int osError, const QString& fileName);

    // The cause for a system error number (errno): ENOENT and ENOTDIR are FileNotFound,
    // EACCES and EPERM AccessDenied, anything else Generic.
    static Cause OsErrorToCause(int osError);
    // Throws the exception for that error number.
    [[noreturn]] static void ThrowOsError(int osError, const QString& fileName);

    Cause GetCause() const { return cause_; }
    int OsError() const { return osError_; }
    const QString& FileName() const { return fileName_; }

    // The report's wording, which always contains the file name.
    QString ErrorMessage() const;
    // Shows ErrorMessage in a message box (see fw::MessageBox).
    void ReportError() const;

    const char* what() const noexcept override { return what_.constData(); }

private:
    Cause cause_;
    int osError_;
    QString fileName_;
    QByteArray what_;
};

// Runs work the way the message dispatch runs a handler: a FileException it raises is
// reported and ends the work there. Returns false when that happened.
bool RunReportingFileErrors(const std::function<void()>& work);

} // namespace fw
