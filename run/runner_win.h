#pragma once

#include <windows.h>

#include "run/runner.h"

// The first suggestion for a typed text, as RunnerEnvironment::FirstSuggestion gives it: the
// text of the best entry of the suggestion list for `typed` into `entry` (kTextBuffer bytes),
// never a session command, and `*isProgram` true when it is an installed program's name;
// false when there is none. The suggestion list supplies it.
typedef bool (*FirstSuggestionFunction)(const char* typed, char* entry, bool* isProgram);

// Runs `typed`, the text of the command box of `window` (read into kEnteredBuffer bytes):
// what the command window does for IDOK. `elevated` runs it with administrator rights
// (Control+Shift+Enter). A line that nothing finds runs `firstSuggestion`'s entry instead;
// without one, its failure is shown. `asProgram`: `typed` is the name of an installed program
// chosen in the list, started as Start starts it (a line of that name is not tried first).
RunOutcome CommandRunner(HWND window, const char* typed, bool elevated = false,
                         FirstSuggestionFunction firstSuggestion = nullptr, bool asProgram = false);
