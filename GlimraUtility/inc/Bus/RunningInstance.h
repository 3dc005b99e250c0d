#pragma once

// The instance of this user that is already running, reached over the session bus.
namespace RunningInstance {

// Asks the running instance to show and raise its window; false when nothing answered.
bool Activate();

} // namespace RunningInstance
