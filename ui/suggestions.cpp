#include "ui/suggestions.h"

#include <algorithm>
#include <cstring>

namespace {

// The score of a match, in the manner of the fuzzy finders: every character typed scores,
// more where a word begins and along a run of consecutive characters; a gap costs more at its
// start than along it, and characters before the first match cost a little each.
constexpr int kScoreChar = 16;
constexpr int kGapStart = -3;
constexpr int kGapExtend = -1;
constexpr int kBonusStart = 10;  // the text's first character
constexpr int kBonusWord = 8;    // after a delimiter
constexpr int kBonusCamel = 7;   // a capital after a lower-case letter
constexpr int kBonusRun = 4;     // the least that a character continuing a run gains
constexpr int kFirstFactor = 2;  // the first typed character's bonus counts twice
constexpr int kLeading = -1;     // for each character before the first match
constexpr int kLeadingMost = 12;
// Added to every score, so that even the worst match of a line-long text stays above 0.
constexpr int kScoreBase = 8 * kTextChars;
constexpr int kNone = -1000000;

int Bonus(const MatchUnit* text, int at) {
    if (at == 0) {
        return kBonusStart;
    }
    const std::uint8_t before = text[at - 1].kind;
    if (before == kMatchDelimiter) {
        return kBonusWord;
    }
    return before == kMatchLower && text[at].kind == kMatchUpper ? kBonusCamel : 0;
}

// The score of the best alignment of `typed` in `text` (above 0), or 0 when the typed
// characters do not all appear in it in order. best[i][j]: the best score of the first i + 1
// typed characters with the last of them at text[j], and run[i][j] the bonus of the run that
// ends there, which the characters continuing it keep; two rows of each are enough. Row i is
// worked out only from the earliest place its character can take (after the earlier ones) to
// the latest (before the later ones).
int Score(const MatchUnit* typed, int typedLength, const MatchUnit* text, int length) {
    if (typedLength == 0 || typedLength > length) {
        return 0;
    }
    int earliest[kTextChars];
    int latest[kTextChars];
    earliest[0] = latest[0] = 0;  // (for the compiler: both are set below when used)
    for (int i = 0, j = 0; i < typedLength; ++i, ++j) {
        while (j < length && text[j].folded != typed[i].folded) {
            ++j;
        }
        if (j == length) {
            return 0;
        }
        earliest[i] = j;
    }
    for (int i = typedLength - 1, j = length - 1; i >= 0; --i, --j) {
        while (text[j].folded != typed[i].folded) {
            --j;
        }
        latest[i] = j;
    }
    int best[2][kTextChars];
    int run[2][kTextChars];
    int* previous = best[0];
    int* current = best[1];
    int* previousRun = run[0];
    int* currentRun = run[1];
    for (int j = earliest[0]; j <= latest[0]; ++j) {
        current[j] = kNone;
        if (text[j].folded == typed[0].folded) {
            const int bonus = Bonus(text, j);
            current[j] = kScoreChar + kFirstFactor * bonus + kLeading * std::min(j, kLeadingMost);
            currentRun[j] = bonus;
        }
    }
    for (int i = 1; i < typedLength; ++i) {
        std::swap(previous, current);
        std::swap(previousRun, currentRun);
        const int from = earliest[i - 1];
        const int to = latest[i - 1];  // previous[from .. to] hold the row before
        int gap = kNone;  // the best score of the row before followed by a gap that ends at j
        for (int j = from + 1; j <= latest[i]; ++j) {
            if (j - 2 >= from && j - 2 <= to && previous[j - 2] != kNone) {
                gap = std::max(gap + kGapExtend, previous[j - 2] + kGapStart);
            } else if (gap != kNone) {
                gap += kGapExtend;
            }
            current[j] = kNone;
            if (j < earliest[i] || text[j].folded != typed[i].folded) {
                continue;
            }
            const int bonus = Bonus(text, j);
            if (gap != kNone) {
                current[j] = gap + kScoreChar + bonus;
                currentRun[j] = bonus;
            }
            if (j - 1 <= to && previous[j - 1] != kNone) {
                const int runBonus = std::max(previousRun[j - 1], bonus);
                const int score = previous[j - 1] + kScoreChar + std::max(runBonus, kBonusRun);
                if (score >= current[j]) {
                    current[j] = score;
                    currentRun[j] = runBonus;
                }
            }
        }
    }
    int score = kNone;
    for (int j = earliest[typedLength - 1]; j <= latest[typedLength - 1]; ++j) {
        score = std::max(score, current[j]);
    }
    return score + kScoreBase > 0 ? score + kScoreBase : 1;
}

// False when `text` cannot match because it is ASCII throughout (its fold then ASCII's) and
// does not hold the typed characters in order; a text that is not ASCII is left to
// TextToMatchUnits, whose fold may take other characters to ASCII letters.
bool MayMatch(const MatchUnit* typed, int typedLength, const char* text) {
    int matched = 0;
    std::uint32_t wanted = typed[0].folded;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        const unsigned c = *p;
        if (c >= 0x80) {
            return true;
        }
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == wanted) {
            if (++matched == typedLength) {
                return true;
            }
            wanted = typed[matched].folded;
        }
    }
    return false;
}

// The units of `text`, or -1 when it is longer than a line (a history entry of an earlier
// version may be).
int UnitsOf(const char* text, MatchUnit* units) {
    for (int n = 0; n <= kTextChars; ++n) {
        const unsigned char c = static_cast<unsigned char>(text[n]);
        if (c == 0) {
            return n;
        }
        if (c >= 0x80) {
            return std::strlen(text + n) > static_cast<std::size_t>(kTextChars - n)
                       ? -1
                       : static_cast<int>(TextToMatchUnits(text, units, kTextChars));
        }
        if (n < kTextChars) {
            units[n] = AsciiMatchUnit(c);
        }
    }
    return -1;
}

constexpr int kSigns = sizeof Suggestions::signCounts;

// A quick sign of a folded text: its length and a few of its characters, the last two
// among them (where names numbered alike differ).
int SignOf(const MatchUnit* units, int length) {
    const std::uint32_t last = units[length - 1].folded;
    const std::uint32_t beforeLast = units[length > 1 ? length - 2 : 0].folded;
    return static_cast<int>((static_cast<std::uint32_t>(length) * 37 + units[0].folded * 11 +
                             units[length / 2].folded * 5 + beforeLast * 3 + last) %
                            kSigns);
}

std::uint32_t KeyOf(const MatchUnit* units, int length) {
    std::uint32_t hash = 2166136261u;  // FNV-1a, a folded character at a time
    for (int i = 0; i < length; ++i) {
        hash = (hash ^ units[i].folded) * 16777619u;
    }
    return hash;
}

int CompareAsciiNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        const int foldedX = x >= 'A' && x <= 'Z' ? x - 'A' + 'a' : x;
        const int foldedY = y >= 'A' && y <= 'Z' ? y - 'A' + 'a' : y;
        if (foldedX != foldedY || x == 0) {
            return foldedX - foldedY;
        }
    }
}

// The order of the list but for the text, as one number, the lower the better: the place,
// the score (higher first), `later`, the length, the kind.
std::uint64_t OrderOf(std::uint8_t place, int score, bool later, int length, SuggestionKind kind) {
    return std::uint64_t{place} << 56 | std::uint64_t(0xFFFFFF - score) << 24 |
           std::uint64_t{later} << 23 | std::uint64_t(length) << 8 |
           static_cast<std::uint64_t>(kind);
}

std::uint64_t OrderOf(const Suggestion& s) {
    return OrderOf(s.place, s.score, s.later, s.length, s.kind);
}

// The order of the list, a total one: every two different texts have their order.
bool Better(std::uint64_t order, const char* text, std::uint64_t otherOrder, const char* other) {
    if (order != otherOrder) {
        return order < otherOrder;
    }
    const int alphabetical = CompareAsciiNoCase(text, other);
    return alphabetical != 0 ? alphabetical < 0 : std::strcmp(text, other) < 0;
}

bool BetterEntry(const Suggestion& a, const Suggestion& b) {
    return Better(OrderOf(a), a.text, OrderOf(b), b.text);
}

// The items kept as a heap with the worst on top, which a better entry replaces once the
// list is full: heap[0] the worst, each entry of the heap ranking no better than those below
// it (2n + 1 and 2n + 2); where[i] the place of items[i] in the heap.
bool Above(const Suggestions& list, int a, int b) {
    return Better(list.orders[b], list.items[b].text, list.orders[a], list.items[a].text);
}

void Swap(Suggestions& list, int at, int other) {
    std::swap(list.heap[at], list.heap[other]);
    list.where[list.heap[at]] = static_cast<std::uint8_t>(at);
    list.where[list.heap[other]] = static_cast<std::uint8_t>(other);
}

// Restores the heap after the item at `at` changed.
void Settle(Suggestions& list, int at) {
    while (at > 0 && Above(list, list.heap[at], list.heap[(at - 1) / 2])) {
        Swap(list, at, (at - 1) / 2);
        at = (at - 1) / 2;
    }
    for (;;) {
        int top = at;
        for (int child = 2 * at + 1; child <= 2 * at + 2 && child < list.count; ++child) {
            if (Above(list, list.heap[child], list.heap[top])) {
                top = child;
            }
        }
        if (top == at) {
            return;
        }
        Swap(list, at, top);
        at = top;
    }
}

// Keeps the entry `text` (its `units`) that matched with `score`, unless the list holds its
// text already (and of a kind as early) or it does not rank among the best.
void Keep(Suggestions& list, const char* text, const MatchUnit* units, int length,
          SuggestionKind kind, int program, bool later, int score) {
    // Texts that are equal without regard to letter case have the same sign (a quick one)
    // and the same key: the key is made only when needed.
    const int sign = SignOf(units, length);
    std::uint32_t key = 0;
    bool keyed = false;
    const auto sameKey = [&](std::uint32_t other) {
        if (!keyed) {
            key = KeyOf(units, length);
            keyed = true;
        }
        return key == other;
    };
    std::uint8_t place = 3;
    if (length == list.rememberedLength && sameKey(list.rememberedKey) &&
        TextEqualNoCase(text, list.remembered)) {
        place = 0;
    } else if ((kind == SuggestionKind::kAlias || kind == SuggestionKind::kProgram) &&
               length == list.typedLength && sameKey(list.typedKey) &&
               TextEqualNoCase(text, list.typed)) {
        place = kind == SuggestionKind::kAlias ? 1 : 2;
    }
    Suggestion* slot = nullptr;
    for (int i = 0; list.signCounts[sign] > 0 && i < list.count && slot == nullptr; ++i) {
        if (list.signs[i] == sign && sameKey(list.items[i].key) &&
            TextEqualNoCase(list.items[i].text, text)) {
            if (kind >= list.items[i].kind) {
                return;
            }
            slot = &list.items[i];
        }
    }
    const std::uint64_t order = OrderOf(place, score, later, length, kind);
    if (slot != nullptr) {
        --list.signCounts[sign];  // the same sign comes back below
    } else if (list.count < kMaxSuggestions) {
        slot = &list.items[list.count];
        list.heap[list.count] = static_cast<std::uint8_t>(list.count);
        list.where[list.count] = static_cast<std::uint8_t>(list.count);
        ++list.count;
    } else if (const int worst = list.heap[0];
               Better(order, text, list.orders[worst], list.items[worst].text)) {
        slot = &list.items[worst];
        --list.signCounts[list.signs[worst]];
    } else {
        return;
    }
    CopyText(slot->text, text, sizeof slot->text);
    slot->kind = kind;
    slot->program = program;
    slot->icon = -1;
    slot->place = place;
    slot->later = later;
    slot->score = score;
    slot->key = keyed ? key : KeyOf(units, length);
    slot->length = static_cast<std::uint16_t>(length);
    list.orders[slot - list.items] = order;
    list.signs[slot - list.items] = static_cast<std::uint16_t>(sign);
    ++list.signCounts[sign];
    Settle(list, list.where[slot - list.items]);
}

bool IsDriveRoot(const char* path) {
    const char c = path[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' && path[2] == '\\';
}

bool StartsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// True when `text` ends in a '\' of its own, not in the second byte of a double-byte character.
bool EndsInBackslash(const char* text) {
    const char* last = TextFindLastOf(text, "\\");
    return last != nullptr && last[1] == '\0';
}

}  // namespace

const char* SuggestionKindName(SuggestionKind kind) {
    switch (kind) {
        case SuggestionKind::kAlias:
            return "alias";
        case SuggestionKind::kProgram:
            return "program";
        case SuggestionKind::kRecent:
            return "recent";
        case SuggestionKind::kFolder:
            return "folder";
        case SuggestionKind::kFile:
            break;
    }
    return "file";
}

int MatchScore(const char* typed, const char* text) {
    if (std::strlen(text) > static_cast<std::size_t>(kTextChars)) {
        return 0;
    }
    MatchUnit typedUnits[kTextChars];
    MatchUnit textUnits[kTextChars];
    const std::size_t typedLength = TextToMatchUnits(typed, typedUnits, kTextChars);
    const std::size_t length = TextToMatchUnits(text, textUnits, kTextChars);
    return Score(typedUnits, static_cast<int>(typedLength), textUnits, static_cast<int>(length));
}

void StartSuggestions(Suggestions& list, const char* typed, const char* remembered) {
    list.count = 0;
    std::memset(list.signCounts, 0, sizeof list.signCounts);
    list.shownLength = -1;
    CopyText(list.typed, typed, sizeof list.typed);
    CopyText(list.remembered, remembered != nullptr ? remembered : "", sizeof list.remembered);
    list.typedLength = static_cast<int>(TextToMatchUnits(list.typed, list.typedUnits, kTextChars));
    list.typedKey = KeyOf(list.typedUnits, list.typedLength);
    MatchUnit units[kTextChars];
    list.rememberedLength =
        list.remembered[0] != '\0'
            ? static_cast<int>(TextToMatchUnits(list.remembered, units, kTextChars))
            : -1;
    list.rememberedKey = KeyOf(units, list.rememberedLength);
}

void OfferSuggestion(Suggestions& list, const char* text, SuggestionKind kind, int program,
                     bool later) {
    if (list.typedLength == 0 || !MayMatch(list.typedUnits, list.typedLength, text)) {
        return;
    }
    MatchUnit units[kTextChars];
    const int length = UnitsOf(text, units);
    if (length < 0) {
        return;
    }
    const int score = Score(list.typedUnits, list.typedLength, units, length);
    if (score > 0) {
        Keep(list, text, units, length, kind, program, later, score);
    }
}

void SuggestNames(Suggestions& list, const AliasList& aliases, const CommandHistory& history) {
    for (const AliasRecord* alias = FirstAlias(aliases); alias != nullptr; alias = alias->Next) {
        OfferSuggestion(list, alias->Name, SuggestionKind::kAlias);
    }
    for (const char* entry : history.Slots) {
        if (entry[0] != '\0') {
            OfferSuggestion(list, entry, SuggestionKind::kRecent);
        }
    }
}

void FinishSuggestions(Suggestions& list) {
    std::sort(list.items, list.items + list.count, BetterEntry);
    // Sorted best first, the items read backwards are a heap of the worst on top.
    for (int i = 0; i < list.count; ++i) {
        list.orders[i] = OrderOf(list.items[i]);
        list.heap[i] = static_cast<std::uint8_t>(list.count - 1 - i);
        list.where[i] = static_cast<std::uint8_t>(list.count - 1 - i);
    }
}

bool FolderToList(const char* typed, const char* startFolder, FolderQuery& query) {
    const char* path = typed[0] == '"' ? typed + 1 : typed;
    const char* last = TextFindLastOf(path, "\\");
    if (last == nullptr || StartsWith(path, "\\\\") || std::strpbrk(last, "*?\"") != nullptr) {
        return false;
    }
    CopyText(query.shown, typed, static_cast<std::size_t>(last + 1 - typed) + 1);
    CopyText(query.partial, last + 1, kTextBuffer);
    query.folder[0] = '\0';
    if (StartsWith(path, ".\\") || StartsWith(path, "..\\")) {
        if (startFolder[0] != '\0' &&
            (!AppendText(query.folder, startFolder, sizeof query.folder) ||
             (!EndsInBackslash(query.folder) &&
              !AppendText(query.folder, "\\", sizeof query.folder)))) {
            return false;
        }
    } else if (!IsDriveRoot(path)) {
        return false;
    }
    return AppendText(query.folder, query.shown + (path - typed), sizeof query.folder);
}

void AddFolderEntry(Suggestions& list, const FolderQuery& query, const char* name, bool isFolder) {
    char entry[kTextBuffer];
    CopyText(entry, query.shown, sizeof entry);
    if (list.typedLength == 0 || !AppendText(entry, name, sizeof entry) ||
        (isFolder && !AppendText(entry, "\\", sizeof entry))) {
        return;
    }
    if (list.shownLength < 0 || !TextEqual(list.shown, query.shown) ||
        !TextEqual(list.partial, query.partial)) {
        CopyText(list.shown, query.shown, sizeof list.shown);
        CopyText(list.partial, query.partial, sizeof list.partial);
        MatchUnit units[kTextChars];
        list.shownLength = static_cast<int>(TextToMatchUnits(list.shown, units, kTextChars));
        list.partialLength =
            static_cast<int>(TextToMatchUnits(list.partial, list.partialUnits, kTextChars));
    }
    if (list.partialLength > 0 && !MayMatch(list.partialUnits, list.partialLength, name)) {
        return;
    }
    // The entry's name is matched alone: the characters after the shown part.
    MatchUnit units[kTextChars];
    const int length = UnitsOf(entry, units);
    const int nameLength = length - list.shownLength - (isFolder ? 1 : 0);
    if (nameLength <= 0) {
        return;
    }
    const int score = list.partialLength == 0 ? kScoreBase
                                              : Score(list.partialUnits, list.partialLength,
                                                      units + list.shownLength, nameLength);
    if (score > 0) {
        Keep(list, entry, units, length, isFolder ? SuggestionKind::kFolder : SuggestionKind::kFile,
             -1, false, score);
    }
}
