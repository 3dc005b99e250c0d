#pragma once

#include <string>

namespace sim {

// The runtime folder: the configured one, else $GLIMRA_SIM_DIR, else
// $XDG_RUNTIME_DIR/glimra-sim, else /tmp/glimra-sim-<uid>.
std::string SimRuntimeDir(const std::string& configured);

// Creates path and any missing parents with mode 0700. False with error on failure.
bool SimMakeDirs(const std::string& path, std::string& error);

} // namespace sim
