// The command history: 20 slots, slot 0 the most recent entry. There is no count; empty
// slots are skipped wherever they stand.
#pragma once

#include "state/text.h"

constexpr int kHistorySlots = 20;

// A slot has room for an entry as the registry holds it (kStoredTextBuffer): an entry loaded
// from an earlier version's registry keeps its text whole.
struct CommandHistory {
    char Slots[kHistorySlots][kStoredTextBuffer];
};

// Puts `text` (cut to 260 characters) into slot 0 and moves the others down one slot,
// unless slot 0 already holds the same text without regard to letter case. True when the
// slots moved.
bool AddToHistory(CommandHistory& history, const char* text);

// Empties all 20 slots (every byte becomes 0).
void EmptyHistory(CommandHistory& history);
