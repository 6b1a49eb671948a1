#include "ui/suggestion_sources_win.h"

#include "run/environment_win.h"
#include "state/picks.h"
#include "state/process_win.h"

void GatherSuggestions(Suggestions& list, const char* typed, const ProgramSnapshot& programs) {
    StartSuggestions(list, typed, FindPick(g_state.picks, typed));
    SuggestNames(list, g_state.aliases, g_state.history);
    const ProgramIndex* index = programs.Index();
    const int count = ProgramCount(index);
    for (int n = 0; n < count; ++n) {
        OfferSuggestion(list, ProgramName(index, n), SuggestionKind::kProgram, n,
                        ProgramIsUninstaller(index, n));
    }
}

bool FolderOfTyped(const char* typed, FolderQuery& query) {
    char startFolder[kTextBuffer];
    return ExpandEnvironment(g_state.settings.StartPath, startFolder, sizeof startFolder) &&
           FolderToList(typed, startFolder, query);
}

void ListFolderEntries(const FolderQuery& query, Suggestions& list) {
    WalkFolder(query.folder, [&](const char* name, bool isFolder) {
        AddFolderEntry(list, query, name, isFolder);
        return true;
    });
}

void SuggestAll(Suggestions& list, const char* typed, const ProgramSnapshot& programs) {
    GatherSuggestions(list, typed, programs);
    FolderQuery query;
    if (FolderOfTyped(typed, query)) {
        ListFolderEntries(query, list);
    }
    FinishSuggestions(list);
}
