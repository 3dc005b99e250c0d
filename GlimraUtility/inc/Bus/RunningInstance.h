#pragma once

// The instance of this user that is already running, reached over the session bus.
namespace RunningInstance {

// Whether this process can reach a session bus without starting one: an address in the
// environment, or the user's bus socket in the runtime folder.
bool SessionBusReachable();

// Asks the running instance to show and raise its window; false when nothing answered.
bool Activate();

} // namespace RunningInstance
