#pragma once

// glimractl's exit status.
enum CliExitCode : int {
    ExitSuccess = 0,
    ExitNoController = 1,
    ExitUsage = 2,    // also a firmware image that cannot be sent
    ExitNoAnswer = 3, // the controller did not answer, a command did not reach it, or the update
                      // failed
    ExitPermission = 4,
    ExitRefused = 5,     // the window would have this control disabled in the current mode
    ExitInUse = 6,       // another program held the controller for longer than the tool waits
    ExitWindowHolds = 7, // firmware: the desktop program holds the controller; use its window
};
