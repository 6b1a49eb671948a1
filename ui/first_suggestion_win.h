// The suggestion list's first entry for a typed text, for the runner: what runs in place of
// a line that nothing finds.
#pragma once

// The best entry that the suggestion list would show for `typed` (ui/suggestions.h), the
// folder's entries listed here and now: into `entry` (kTextBuffer bytes), never a session
// command, `*isProgram` true when it is an installed program's name; false when there is
// none. A FirstSuggestionFunction (run/runner_win.h).
bool FirstSuggestionFor(const char* typed, char* entry, bool* isProgram);
