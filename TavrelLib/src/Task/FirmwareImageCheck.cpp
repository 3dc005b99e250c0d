#include "Task/FirmwareImageCheck.h"

#include "Framework/RegularFile.h"

#include <cstdint>

FirmwareImageStatus CheckFirmwareImage(const QString& path) {
    std::int64_t size = 0;
    switch (fw::CheckRegularFile(path, &size)) {
    case fw::RegularFileStatus::Ok:
        return size > 0 ? FirmwareImageStatus::Ok : FirmwareImageStatus::Invalid;
    case fw::RegularFileStatus::NotRegular:
    case fw::RegularFileStatus::TooLarge:
        return FirmwareImageStatus::Invalid;
    case fw::RegularFileStatus::Missing:
    case fw::RegularFileStatus::Unreadable:
        break;
    }
    return FirmwareImageStatus::Unreadable;
}
