// Starting one command line, and asking Windows to end the session.
#pragma once

#include <cstdint>

#include "run/runner.h"

// Opens `commandLine` through the shell, or else starts it as a process, in `startDir`
// with `showCommand`. When neither works it shows the failure message (both error codes)
// and returns false.
bool Launcher(const char* commandLine, const char* startDir, int showCommand);

// Opens `program` with `parameters` (may be empty) through the shell's "runas" verb, which
// asks the user for administrator rights. On failure, except when the user declined, the
// failure message has been shown with the shell's code first.
ElevatedLaunch LauncherElevated(const char* program, const char* parameters, const char* startDir,
                                int showCommand);

// The launcher's failure message, "Problem executing command." with both error codes.
void ShowLaunchFailure(int shellCode, int createCode);

// ExitWindowsEx with `flags` (EWX_LOGOFF, EWX_SHUTDOWN or EWX_REBOOT), with the shutdown
// privilege enabled for the request on the NT family. Shows nothing.
bool SessionCommand(std::uint32_t flags);
