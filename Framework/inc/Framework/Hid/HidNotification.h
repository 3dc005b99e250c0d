#pragma once

#include "Framework/Window.h"

namespace fw {

class HidNotification;

// Registers window for HID interface arrival and removal: it receives WM_DEVICECHANGE with
// DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE and a DevBroadcastDeviceInterface, on its own
// thread, while the watcher that saw the change waits (as SendMessage would). Null for no
// window. The window must outlive the registration.
HidNotification* HidRegisterDeviceNotification(Window* window);

// Stops the watchers and joins them; false for null. A delivery that is still waiting for the
// window's thread is dropped, so unregistering from that thread cannot deadlock.
bool HidUnregisterDeviceNotification(HidNotification* notification);

} // namespace fw
