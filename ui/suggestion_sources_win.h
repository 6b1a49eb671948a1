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

// Calls `visit(name, isFolder)` for each entry of `folder` (ending in '\') but "." and "..",
// in the folder's order, until it returns false. True when every entry was seen.
template <typename Visit>
bool WalkFolder(const char* folder, Visit visit) {
    char pattern[MAX_PATH] = "";
    if (!AppendText(pattern, folder, sizeof pattern) || !AppendText(pattern, "*", sizeof pattern)) {
        return false;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileExA(pattern, FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool more = true;
    do {
        const char* name = entry.cFileName;
        if (lstrcmpA(name, ".") != 0 && lstrcmpA(name, "..") != 0) {
            more = visit(name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (more && FindNextFileA(find, &entry));
    const bool whole = more && GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return whole;
}

// Offers every entry of the folder that `query` names, here and now.
void ListFolderEntries(const FolderQuery& query, Suggestions& list);

// The whole list for `typed`, here and now: what GatherSuggestions offers, the entries of the
// folder that it names, ranked.
void SuggestAll(Suggestions& list, const char* typed, const ProgramSnapshot& programs);
