#include "Link/ControllerHeldElsewhere.h"

#include "Link/HidLayer.h"
#include "Link/TavrelUsbDev.h"

bool ControllerHeldElsewhere(const TavrelUsbDev& link, std::uint16_t vendorId,
                             std::uint16_t productId) {
    HidChannel probe;
    HidChannelInit(&probe);
    const HidInterfaceList list = HidListInterfaces();
    const unsigned interfaces = HidCountInterfaces(list, vendorId, productId, 1);
    const HidResult result =
        HidOpen(&probe, list, vendorId, productId, link.Serial(0).text, interfaces);
    if (result == HID_SUCCESS)
        HidClose(&probe);
    return result == HID_ALREADY_OPEN;
}
