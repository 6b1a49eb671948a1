// Libraries that the program loads while it runs, rather than at start-up.
#pragma once

#include <windows.h>

// Loads `name` (a file name such as "hhctrl.ocx") from the system folder only, never from
// the program's folder or the current one: a copy of the program unpacked into a download
// folder must not run a file of that name planted beside it. Null on failure.
HMODULE LoadSystemLibrary(const char* name);
