#pragma once

#include <QFile>
#include <QString>

// The process's log: UTF-16LE text after a byte-order mark, each text appended verbatim and
// flushed to disk before Write returns.
class LogFile {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    static LogFile& GetInstance();

    // Creates (or empties) the file; a log that is already open ignores later calls.
    void Open(const QString& path);
    void Write(const QString& text);
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
    QFile file_;
};
