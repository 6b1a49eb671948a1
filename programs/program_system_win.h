// The program index over the real file system, registry and shell.
#pragma once

#include <windows.h>

#include <atomic>

#include "programs/program_index.h"

// Where the index looks. The program takes DefaultProgramPlaces; tests and benchmarks give
// folders and keys of their own. Folders are full paths without a '\' at their end, "" when
// there is none.
struct ProgramPlaces {
    char userPrograms[kTextBuffer];
    char commonPrograms[kTextBuffer];
    char userStartup[kTextBuffer];
    char commonStartup[kTextBuffer];
    HKEY userAppPathsRoot;
    char userAppPaths[kTextBuffer];  // a key under userAppPathsRoot, "" for none
    HKEY machineAppPathsRoot;
    char machineAppPaths[kTextBuffer];
    bool storeApps;  // whether the shell's Applications folder is read
};

// This user's Start-menu and Startup folders (FOLDERID_Programs, FOLDERID_CommonPrograms,
// FOLDERID_Startup, FOLDERID_CommonStartup), App Paths of HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE, and the Store apps.
void DefaultProgramPlaces(ProgramPlaces* places);

// Builds the index of `places` on the calling thread: null without memory, or when `cancel`
// (may be null) became true meanwhile.
ProgramIndex* BuildProgramIndexAt(const ProgramPlaces& places,
                                  const std::atomic<bool>* cancel = nullptr);

// Text of the program's code page to UTF-16 and back, cut nowhere: false when it does not fit
// in `capacity` (units or bytes, the terminator included) or, back, when a character has no
// form in the code page.
bool TextToWide(const char* text, WCHAR* wide, int capacity);
bool WideToText(const WCHAR* wide, char* text, int capacity);
