// Starting one command line, and asking Windows to end the session.
#pragma once

#include <cstdint>

#include "run/runner.h"

// Opens `commandLine` through the shell, or else starts it as a process, in `startDir`
// with `showCommand`. Shows nothing: a failure comes back with both error codes, for the
// caller to show (ShowLaunchFailure) or to act on. `programEnds` when the program ends
// right afterwards: the shell then finishes its work before it returns.
LaunchResult Launcher(const char* commandLine, const char* startDir, int showCommand,
                      bool programEnds = false);

// Opens `program` with `parameters` (may be empty) through the shell's "runas" verb, which
// asks the user for administrator rights. Process creation cannot raise rights: it is not
// tried, and its code is 0. kNoRunas when the shell has no such verb for what was named.
LaunchResult LauncherElevated(const char* program, const char* parameters, const char* startDir,
                              int showCommand, bool programEnds = false);

// The failure message, "Problem executing command." with both error codes, owned by the
// command window.
void ShowLaunchFailure(int shellCode, int createCode);

// ExitWindowsEx with `flags` (EWX_LOGOFF, EWX_SHUTDOWN or EWX_REBOOT), with the shutdown
// privilege enabled for the request on the NT family. Shows nothing.
bool SessionCommand(std::uint32_t flags);
