#include "state/history.h"

#include <cstring>

bool AddToHistory(CommandHistory& history, const char* text) {
    if (TextEqualNoCase(history.Slots[0], text)) {
        return false;
    }
    // The text may be one of the slots themselves: take it before the slots move.
    char entry[kTextBuffer];
    CopyText(entry, text, sizeof(entry));
    for (int slot = kHistorySlots - 1; slot > 0; --slot) {
        CopyText(history.Slots[slot], history.Slots[slot - 1], sizeof(history.Slots[slot]));
    }
    CopyText(history.Slots[0], entry, sizeof(history.Slots[0]));
    return true;
}

void EmptyHistory(CommandHistory& history) {
    std::memset(&history, 0, sizeof(history));
}
