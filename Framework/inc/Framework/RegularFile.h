#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace fw {

// What a path names, for a caller that reads or writes only plain files. A FIFO would block
// the reader (or the writer, once full), a device such as /dev/zero never ends and a folder
// holds no data: all are refused before a byte is read.
enum class RegularFileStatus {
    Ok,
    Missing,    // nothing there (or a dangling link)
    NotRegular, // a FIFO, socket, device or folder
    TooLarge,   // larger than the caller's cap
    Unreadable, // this user may not open it, or reading failed
};

// Opens path for reading without blocking: the status is checked before the open (so a FIFO
// or device is never opened) and again on what was opened (the name may have been swapped
// meanwhile). The descriptor (close-on-exec, blocking reads of a regular file), or -1 with
// status saying why. size (when given) receives the file's size.
int OpenRegularFile(const QString& path, RegularFileStatus* status, std::int64_t* size = nullptr);

// The whole file when it is regular and at most maxBytes long; bytes is left empty otherwise.
RegularFileStatus ReadRegularFile(const QString& path, std::int64_t maxBytes, QByteArray* bytes);

// The status alone (size when given), opening nothing that is not a regular file.
RegularFileStatus CheckRegularFile(const QString& path, std::int64_t* size = nullptr);

} // namespace fw
