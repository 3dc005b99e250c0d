#include "Framework/HardwareAccess.h"

namespace fw {

void HardwareAccessInit() {}

} // namespace fw
