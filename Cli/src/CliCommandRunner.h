#pragma once

#include "CliRequest.h"

class CliConnection;
class LightingActions;

// Carries out one request: connects and refreshes as the main window does after connecting,
// then performs the action the way the window's control would, refusing what that control
// would not allow.
class CliCommandRunner {
public:
    explicit CliCommandRunner(const CliRequest& request) : request_(request) {}

    // The exit status.
    int Run();

private:
    int List();
    int Status(CliConnection& connection, LightingActions& actions, bool answered);
    int Lighting(LightingActions& actions);
    int Firmware(CliConnection& connection);
    // Whether the user agreed to the update (always, with --yes).
    bool Confirmed() const;

    const CliRequest& request_;
};
