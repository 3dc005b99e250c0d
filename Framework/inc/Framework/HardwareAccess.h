#pragma once

namespace fw {

// The start-up's one call into the low-level hardware access library. Linux gives user
// programs no such access and the program needs none, so this does nothing.
void HardwareAccessInit();

} // namespace fw
