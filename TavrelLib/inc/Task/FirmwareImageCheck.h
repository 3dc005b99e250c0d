#pragma once

#include <QString>

enum class FirmwareImageStatus {
    Ok,
    Invalid,    // empty, or not a regular file (FIFO, device, folder)
    Unreadable, // missing, or this user may not open it
};

// Whether path can be sent to the controller's loader as a firmware image. Decided from the
// file's status before it is ever opened for reading: reading a FIFO would block and a device
// such as /dev/zero never ends.
FirmwareImageStatus CheckFirmwareImage(const QString& path);
