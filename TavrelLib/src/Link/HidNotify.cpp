#include "Framework/Hid/HidNotification.h"
#include "Link/HidLayer.h"

HidResult HidRegisterNotification(fw::Window* window, HidNotifyHandle* handle) {
    *handle = fw::HidRegisterDeviceNotification(window);
    return HID_SUCCESS;
}

HidResult HidUnregisterNotification(HidNotifyHandle handle) {
    return fw::HidUnregisterDeviceNotification(handle) ? HID_SUCCESS : HID_INVALID_HANDLE;
}
