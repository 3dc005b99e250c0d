#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>

// The number after key in a /proc status file ("VmHWM:" gives kB, the context switch counts
// give counts); -1 when the file or the key is not there.
inline long ProcStatusKb(const QString& path, const char* key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key)))
                .trimmed()
                .split(' ')[0]
                .toLong();
    }
    return -1;
}
