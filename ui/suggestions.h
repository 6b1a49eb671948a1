// What the command box suggests while the user types, apart from the window system: the
// alias names, then the history entries, then the entries of the folder that the text
// names, each beginning with the typed text without regard to letter case, each text once,
// at most kMaxSuggestions of them. Portable: no Windows headers.
#pragma once

#include "state/alias_list.h"
#include "state/history.h"
#include "state/text.h"

constexpr int kMaxSuggestions = 100;

struct Suggestions {
    int count;
    char items[kMaxSuggestions][kTextBuffer];
};

// Adds `text` unless the list holds it already (without regard to letter case), is full, or
// `text` is longer than a line (260 characters). False once the list is full.
bool AddSuggestion(Suggestions& list, const char* text);

// Empties `list`, then adds the alias names in list order and the history entries from the
// most recent that begin with `typed`. An empty `typed` suggests nothing.
void SuggestNames(const char* typed, const AliasList& aliases, const CommandHistory& history,
                  Suggestions& list);

// A folder that the typed text names, and the start of the names wanted from it.
struct FolderQuery {
    char folder[kTextBuffer];   // the folder to list, ending in '\'
    char shown[kTextBuffer];    // what the typed text holds up to its last '\'
    char partial[kTextBuffer];  // what it holds after that
};

// True when `typed` names a folder followed by a partial name: a path from a drive's root
// ("C:\Pro", "C:\Program Files\"), or one beginning with ".\" or "..\", taken from
// `startFolder` (the expanded default start folder; when empty, from the current folder).
// A leading double quote is passed over. Network paths ("\\server\...") are never listed,
// nor names with a wildcard, which no entry can match.
bool FolderToList(const char* typed, const char* startFolder, FolderQuery& query);

// Adds the folder entry `name` (a folder when `isFolder`, then shown ending in '\') as the
// typed text would read with it, when the name begins with the partial name and the whole
// fits in 260 characters. False once the list is full.
bool AddFolderEntry(Suggestions& list, const FolderQuery& query, const char* name, bool isFolder);
