// The suggestion list's first entry for a typed text, for the runner: what runs in place of
// a line that nothing finds.
#pragma once

// The first entry that the suggestion list offers for `typed` (ui/suggestions.h): an alias
// name or a history entry that begins with it, else an entry of the folder that it names.
// Into `entry` (kTextBuffer bytes), never a session command; false when there is none. A
// FirstSuggestionFunction (run/runner_win.h).
bool FirstSuggestionFor(const char* typed, char* entry, bool* isProgram);
