// Where the suggestions for a typed text come from, for the list below the command box and
// for the runner's first suggestion alike: the alias names, the history, the installed
// programs and the entries of the folder that the text names.
#pragma once

#include <windows.h>

#include "programs/programs_win.h"
#include "ui/suggestions.h"

// Starts `list` for `typed` with the entry remembered for it and offers the aliases, the
// history and every program of `programs` (an uninstaller after the others of its score).
// Not finished: the folder's entries may follow (FolderToList, ListFolderEntries).
void GatherSuggestions(Suggestions& list, const char* typed, const ProgramSnapshot& programs);

// The folder that `typed` names, by FolderToList with the default start folder expanded;
// false when there is none to list (network paths never are).
bool FolderOfTyped(const char* typed, FolderQuery& query);

// Offers every entry of the folder that `query` names, here and now.
void ListFolderEntries(const FolderQuery& query, Suggestions& list);
