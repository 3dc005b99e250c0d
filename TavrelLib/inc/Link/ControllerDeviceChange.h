#pragma once

#include "Framework/Window.h"

struct UsbDeviceEntry;

// What a device notification (WM_DEVICECHANGE) says about the controller of a table entry: an
// interface of its vendor and product arrived or went, or nothing that concerns it.
enum class ControllerChange { None, Arrived, Removed };

ControllerChange ControllerDeviceChange(fw::WPARAM event, fw::LPARAM data,
                                        const UsbDeviceEntry& entry);
