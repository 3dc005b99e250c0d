#pragma once

#include <QString>

// The step-1 notification's data: read by the receiver during the call.
struct FirmwareFileInfo {
    QString name; // the image file's name, without its folder
    QString size; // its length in bytes, decimal
};
