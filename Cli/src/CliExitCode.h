#pragma once

// glimractl's exit status.
enum CliExitCode : int {
    ExitSuccess = 0,
    ExitNoController = 1,
    ExitUsage = 2,
    ExitNoAnswer = 3, // the controller did not answer, or the update failed
    ExitPermission = 4,
    ExitRefused = 5, // the window would have this control disabled in the current mode
};
