#include "App/LogFile.h"

#include <unistd.h>

LogFile& LogFile::GetInstance() {
    static LogFile instance;
    return instance;
}

void LogFile::Open(const QString& path) {
    if (open_)
        return;
    file_.setFileName(path);
    open_ = file_.open(QIODevice::ReadWrite | QIODevice::Truncate);
    if (!open_)
        return;
    const char bom[2] = {'\xFF', '\xFE'};
    file_.write(bom, 2);
    file_.flush();
}

void LogFile::Write(const QString& text) {
    if (!open_)
        return;
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    file_.write(bytes);
    file_.flush();
    ::fdatasync(file_.handle());
}
