#pragma once

namespace fw {

// Whether the user's session bus can be reached without starting one. With neither
// DBUS_SESSION_BUS_ADDRESS nor $XDG_RUNTIME_DIR/bus, the bus library would try to launch a
// bus of its own for the display, which a command-line run must never do.
bool SessionBusReachable();

} // namespace fw
