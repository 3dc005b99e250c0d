#pragma once

#include "Sim/SimConfig.h"

#include <string>

namespace sim {

enum class SimOptionsResult { Run, Help, Error };

// glimra-sim's command line into a configuration; message explains an error.
SimOptionsResult ParseSimOptions(int argc, char** argv, SimConfig& config, std::string& message);

// The --help text.
std::string SimUsage();

} // namespace sim
