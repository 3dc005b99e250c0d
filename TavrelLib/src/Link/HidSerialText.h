#pragma once

#include "Framework/Hid/HidTypes.h"

// Reads the interface's serial-number string as the narrow text of a DeviceSerial: at most 39
// wide characters read, converted to UTF-8 and cut to 39 bytes on a character boundary.
// False when the serial can't be read (an invalid handle).
bool HidReadSerialText(fw::HidHandle handle, char (&text)[40]);
