// Where the libraries that the process loads come from.
#pragma once

#include <windows.h>

// Loads `name` (a file name such as "hhctrl.ocx") from the system folder only, never from
// the program's folder or the current one: a copy of the program unpacked into a download
// folder must not run a file of that name planted beside it. Null on failure.
HMODULE LoadSystemLibrary(const char* name);

// Takes the program's folder and the current folder out of the places where the process
// looks for a library named without a path, for good: only the system folder is searched.
// Code of the system (shell extensions in the pickers, handlers that ShellExecuteEx loads)
// then never loads a file planted beside a copy of the program in a download folder. The
// first call of the program, before anything else can load a library. Where
// SetDefaultDllDirectories is missing (Windows 7 without update KB2533623), the current
// folder is taken out (SetDllDirectoryA("")) and the search for files runs in safe mode.
void RestrictLibrarySearch();
