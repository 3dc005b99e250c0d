#pragma once

#include "CliRequest.h"

class CliConnection;
class LightingActions;

// Carries out one request: connects and refreshes as the main window does after connecting,
// then performs the action the way the window's control would, refusing what that control
// would not allow. Checks that need no controller come before OnController, the one place
// that opens it.
class CliCommandRunner {
public:
    explicit CliCommandRunner(const CliRequest& request) : request_(request) {}

    // The exit status.
    int Run();

private:
    int List();
    // Everything that talks to the controller: connect, refresh, act.
    int OnController();
    // exitCode, unless the last write of a command that succeeded never reached the controller.
    int Delivered(CliConnection& connection, int exitCode);
    int Status(CliConnection& connection, LightingActions& actions, bool answered);
    int Lighting(LightingActions& actions);
    int Firmware(CliConnection& connection);
    // Whether the user agreed to the update (always, with --yes).
    bool Confirmed() const;

    const CliRequest& request_;
};
