#include "state/picks.h"

#include <cstring>

namespace {

// True for a text that can be remembered: 1 to kTextChars bytes.
bool Fits(const char* text) {
    std::size_t length = 0;
    while (length <= kTextChars && text[length] != '\0') {
        ++length;
    }
    return length > 0 && length <= kTextChars;
}

int CountOf(const Picks& picks) {
    return picks.count < 0 ? 0 : picks.count > kMaxPicks ? kMaxPicks : picks.count;
}

}  // namespace

void RememberPick(Picks& picks, const char* typed, const char* entry) {
    if (!Fits(typed) || !Fits(entry)) {
        return;
    }
    // The texts may be the list's own: take them before the pairs move.
    Pick pick;
    CopyText(pick.typed, typed, sizeof(pick.typed));
    CopyText(pick.entry, entry, sizeof(pick.entry));
    // The pairs of other texts close up, in their order; room is left for the new one.
    const int count = CountOf(picks);
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (!TextEqualNoCase(picks.items[i].typed, pick.typed)) {
            if (kept != i) {
                picks.items[kept] = picks.items[i];
            }
            ++kept;
        }
    }
    if (kept == kMaxPicks) {
        --kept;  // the oldest goes
    }
    std::memmove(&picks.items[1], &picks.items[0], sizeof(Pick) * static_cast<std::size_t>(kept));
    picks.items[0] = pick;
    picks.count = kept + 1;
}

const char* FindPick(const Picks& picks, const char* typed) {
    if (typed[0] == '\0') {
        return nullptr;
    }
    const int count = CountOf(picks);
    for (int i = 0; i < count; ++i) {
        if (TextEqualNoCase(picks.items[i].typed, typed)) {
            return picks.items[i].entry;
        }
    }
    return nullptr;
}

void ClearPicks(Picks& picks) {
    // Only the pairs in use are wiped: the pages of the rest were never touched.
    std::memset(picks.items, 0, sizeof(Pick) * static_cast<std::size_t>(CountOf(picks)));
    picks.count = 0;
}
