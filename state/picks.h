// What the user ran from the suggestion list for a typed text: the pairs typed text -> entry,
// most recent first, at most kMaxPicks. The entry remembered for exactly a text (without
// regard to letter case) comes first in the list the next time that text is typed.
#pragma once

#include "state/text.h"

constexpr int kMaxPicks = 100;

struct Pick {
    char typed[kTextBuffer];
    char entry[kTextBuffer];
};

struct Picks {
    int count;
    Pick items[kMaxPicks];  // items[0] the most recent
};

// Remembers that `entry` ran for `typed`: the pair goes first, a pair of the same typed text
// (without regard to letter case) goes, and beyond kMaxPicks the oldest goes. Nothing is
// remembered for an empty text or entry or one longer than a line.
void RememberPick(Picks& picks, const char* typed, const char* entry);

// The entry remembered for `typed` (without regard to letter case), or null.
const char* FindPick(const Picks& picks, const char* typed);

void ClearPicks(Picks& picks);
