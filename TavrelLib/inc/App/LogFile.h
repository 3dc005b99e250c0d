#pragma once

#include <QString>

// The process's log: UTF-16LE text after a byte-order mark, each text appended verbatim and
// flushed to disk before Write returns.
class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    static LogFile& GetInstance();

    // Starts a new log at path: a file of our own is made beside it and renamed over it, so
    // whatever stood there (a file, a link, a FIFO) is replaced, never emptied or written
    // through. A log that is already open ignores later calls. False, with one line on
    // stderr, when there is no log.
    bool Open(const QString& path);
    // A write that fails (a full disk) ends the log, with one line on stderr.
    void Write(const QString& text);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

private:
    int fd_ = -1;
    QString path_;
};
