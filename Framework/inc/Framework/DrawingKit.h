#pragma once

#include <cstdint>

namespace fw {

// Start and shut-down of the drawing kit. QPainter needs no global set-up, but the start-up
// keeps the token protocol so that drawing code can tell whether the kit is running.
class DrawingKit {
public:
    static std::uintptr_t Startup();
    static void Shutdown(std::uintptr_t token);
    static bool IsRunning();
};

} // namespace fw
