#include "ui/first_suggestion_win.h"

#include <windows.h>

#include "state/session_commands.h"
#include "ui/suggestion_sources_win.h"

bool FirstSuggestionFor(const char* typed, char* entry, bool* isProgram) {
    // The list is too big for the stack of every caller; it lives only for this call.
    Suggestions* list =
        static_cast<Suggestions*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Suggestions)));
    if (list == nullptr) {
        return false;
    }
    ProgramSnapshot programs;
    SuggestAll(*list, typed, programs);
    bool found = false;
    for (int i = 0; i < list->count && !found; ++i) {
        const Suggestion& item = list->items[i];
        if (!IsSessionCommandName(item.text)) {
            CopyText(entry, item.text, kTextBuffer);
            *isProgram = item.kind == SuggestionKind::kProgram;
            found = true;
        }
    }
    HeapFree(GetProcessHeap(), 0, list);
    return found;
}
