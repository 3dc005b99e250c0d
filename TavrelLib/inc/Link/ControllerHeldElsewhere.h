#pragma once

#include <cstdint>

class TavrelUsbDev;

// Whether the first controller the link's last scan found is held by another opener. The link
// reports such an interface as opened and then never answers; a channel of our own, opened and
// closed the way the link opens, tells the two apart beforehand.
bool ControllerHeldElsewhere(const TavrelUsbDev& link, std::uint16_t vendorId,
                             std::uint16_t productId);
