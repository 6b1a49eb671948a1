#include "ui/first_suggestion_win.h"

#include <windows.h>

#include "run/environment_win.h"
#include "state/process_win.h"
#include "state/session_commands.h"
#include "ui/suggestions.h"

namespace {

// The first entry of the folder that `query` names that the list would show, into `list`;
// the listing stops there. (The list's own listing, for the suggestions shown while typing,
// goes on to fill the list.)
bool FirstFolderEntry(const FolderQuery& query, Suggestions& list) {
    char pattern[MAX_PATH];
    if (lstrlenA(query.folder) + lstrlenA(query.partial) + 1 >= MAX_PATH) {
        return false;
    }
    wsprintfA(pattern, "%s%s*", query.folder, query.partial);
    WIN32_FIND_DATAA found;
    HANDLE find =
        FindFirstFileExA(pattern, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    list.count = 0;
    do {
        if (lstrcmpA(found.cFileName, ".") != 0 && lstrcmpA(found.cFileName, "..") != 0) {
            AddFolderEntry(list, query, found.cFileName,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (list.count == 0 && FindNextFileA(find, &found));
    FindClose(find);
    return list.count > 0;
}

}  // namespace

bool FirstSuggestionFor(const char* typed, char* entry, bool* isProgram) {
    *isProgram = false;
    Suggestions list;
    SuggestNames(typed, g_state.aliases, g_state.history, list);
    for (int i = 0; i < list.count; ++i) {
        if (!IsSessionCommandName(list.items[i])) {
            CopyText(entry, list.items[i], kTextBuffer);
            return true;
        }
    }
    char startFolder[kTextBuffer];
    FolderQuery query;
    if (!ExpandEnvironment(g_state.settings.StartPath, startFolder, sizeof startFolder) ||
        !FolderToList(typed, startFolder, query) || !FirstFolderEntry(query, list)) {
        return false;
    }
    CopyText(entry, list.items[0], kTextBuffer);
    return true;
}
