#include "Link/ControllerDeviceChange.h"

#include "Framework/Hid/DeviceChange.h"
#include "Link/DeviceInterfaceIds.h"
#include "Link/UsbDeviceEntry.h"

ControllerChange ControllerDeviceChange(fw::WPARAM event, fw::LPARAM data,
                                        const UsbDeviceEntry& entry) {
    ControllerChange change = ControllerChange::None;
    if (event == fw::DBT_DEVICEARRIVAL)
        change = ControllerChange::Arrived;
    else if (event == fw::DBT_DEVICEREMOVECOMPLETE)
        change = ControllerChange::Removed;
    const auto* header = reinterpret_cast<const fw::DevBroadcastHeader*>(data);
    if (change == ControllerChange::None || !header ||
        header->deviceType != fw::DBT_DEVTYP_DEVICEINTERFACE)
        return ControllerChange::None;
    const auto* broadcast = static_cast<const fw::DevBroadcastDeviceInterface*>(header);
    const DeviceInterfaceIds ids = DeviceInterfaceIds::FromName(broadcast->name);
    if (ids.vendorId != entry.vendorId || ids.productId != entry.productId)
        return ControllerChange::None;
    return change;
}
