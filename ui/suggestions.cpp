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

// The score of the best alignment of `typed` in `text` (above 0), or 0 when the
// typed characters do not all appear in it in order. best[i][j]: the best score of the first
// i + 1 typed characters with the last of them at text[j], and run[i][j] the bonus of the run
// that ends there, which the characters continuing it keep; two rows of each are enough.
int Score(const MatchUnit* typed, int typedLength, const MatchUnit* text, int length) {
    if (typedLength == 0 || typedLength > length) {
        return 0;
    }
    int first = 0;  // where the first typed character can first match
    for (int i = 0, j = 0; i < typedLength; ++i, ++j) {
        while (j < length && text[j].folded != typed[i].folded) {
            ++j;
        }
        if (j == length) {
            return 0;
        }
        if (i == 0) {
            first = j;
        }
    }
    int best[2][kTextChars];
    int run[2][kTextChars];
    int* previous = best[0];
    int* current = best[1];
    int* previousRun = run[0];
    int* currentRun = run[1];
    for (int j = 0; j < length; ++j) {
        const bool match = j >= first && text[j].folded == typed[0].folded;
        const int bonus = match ? Bonus(text, j) : 0;
        current[j] = match
                         ? kScoreChar + kFirstFactor * bonus + kLeading * std::min(j, kLeadingMost)
                         : kNone;
        currentRun[j] = bonus;
    }
    for (int i = 1; i < typedLength; ++i) {
        std::swap(previous, current);
        std::swap(previousRun, currentRun);
        int gap = kNone;  // the best score before a gap that ends at j
        for (int j = 0; j < length; ++j) {
            if (j >= 2) {
                gap = std::max(gap == kNone ? kNone : gap + kGapExtend,
                               previous[j - 2] == kNone ? kNone : previous[j - 2] + kGapStart);
            }
            current[j] = kNone;
            if (j < i || text[j].folded != typed[i].folded) {
                continue;
            }
            const int bonus = Bonus(text, j);
            if (gap != kNone) {
                current[j] = gap + kScoreChar + bonus;
                currentRun[j] = bonus;
            }
            if (previous[j - 1] != kNone) {
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
    for (int j = 0; j < length; ++j) {
        score = std::max(score, current[j]);
    }
    return score + kScoreBase > 0 ? score + kScoreBase : 1;
}

std::uint32_t KeyOf(const MatchUnit* units, int length) {
    std::uint32_t hash = 2166136261u;  // FNV-1a over the folded characters
    for (int i = 0; i < length; ++i) {
        for (std::uint32_t c = units[i].folded, k = 0; k < 4; ++k, c >>= 8) {
            hash = (hash ^ (c & 0xFF)) * 16777619u;
        }
    }
    return hash;
}

int CompareAsciiNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const int x = AsciiMatchUnit(static_cast<unsigned char>(*a)).folded;
        const int y = AsciiMatchUnit(static_cast<unsigned char>(*b)).folded;
        if (x != y || x == 0) {
            return x - y;
        }
    }
}

// The order of the list, a total one: every two different texts have their order.
bool Better(const Suggestion& a, const Suggestion& b) {
    if (a.place != b.place) {
        return a.place < b.place;
    }
    if (a.score != b.score) {
        return a.score > b.score;
    }
    if (a.later != b.later) {
        return !a.later;
    }
    if (a.length != b.length) {
        return a.length < b.length;
    }
    if (a.kind != b.kind) {
        return a.kind < b.kind;
    }
    const int order = CompareAsciiNoCase(a.text, b.text);
    return order != 0 ? order < 0 : std::strcmp(a.text, b.text) < 0;
}

void FindWorst(Suggestions& list) {
    list.worst = 0;
    for (int i = 1; i < list.count; ++i) {
        if (Better(list.items[list.worst], list.items[i])) {
            list.worst = i;
        }
    }
}

// Keeps the entry `text` (its `units`) that matched with `score`, unless the list holds its
// text already or it does not rank among the best.
void Keep(Suggestions& list, const char* text, const MatchUnit* units, int length,
          SuggestionKind kind, int program, bool later, int score) {
    Suggestion entry;
    CopyText(entry.text, text, sizeof entry.text);
    entry.kind = kind;
    entry.program = program;
    entry.icon = -1;
    entry.later = later;
    entry.score = score;
    entry.key = KeyOf(units, length);
    entry.length = static_cast<std::uint16_t>(length);
    entry.place = 3;
    if (list.remembered[0] != '\0' && entry.key == list.rememberedKey &&
        TextEqualNoCase(text, list.remembered)) {
        entry.place = 0;
    } else if ((kind == SuggestionKind::kAlias || kind == SuggestionKind::kProgram) &&
               entry.key == list.typedKey && TextEqualNoCase(text, list.typed)) {
        entry.place = kind == SuggestionKind::kAlias ? 1 : 2;
    }
    for (int i = 0; i < list.count; ++i) {
        Suggestion& kept = list.items[i];
        if (kept.key == entry.key && TextEqualNoCase(kept.text, text)) {
            if (kind < kept.kind) {
                kept = entry;
                if (list.count == kMaxSuggestions) {
                    FindWorst(list);
                }
            }
            return;
        }
    }
    if (list.count < kMaxSuggestions) {
        list.items[list.count++] = entry;
        if (list.count == kMaxSuggestions) {
            FindWorst(list);
        }
    } else if (Better(entry, list.items[list.worst])) {
        list.items[list.worst] = entry;
        FindWorst(list);
    }
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
    list.worst = 0;
    list.shownLength = -1;
    CopyText(list.typed, typed, sizeof list.typed);
    CopyText(list.remembered, remembered != nullptr ? remembered : "", sizeof list.remembered);
    list.typedLength = static_cast<int>(TextToMatchUnits(list.typed, list.typedUnits, kTextChars));
    list.typedKey = KeyOf(list.typedUnits, list.typedLength);
    MatchUnit units[kTextChars];
    const std::size_t length = TextToMatchUnits(list.remembered, units, kTextChars);
    list.rememberedKey = KeyOf(units, static_cast<int>(length));
}

void OfferSuggestion(Suggestions& list, const char* text, SuggestionKind kind, int program,
                     bool later) {
    if (list.typedLength == 0 || std::strlen(text) > static_cast<std::size_t>(kTextChars)) {
        return;  // a history entry of an earlier version may be longer than a line
    }
    MatchUnit units[kTextChars];
    const int length = static_cast<int>(TextToMatchUnits(text, units, kTextChars));
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
    std::sort(list.items, list.items + list.count, Better);
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
    // The entry's name is matched alone: the characters after the shown part.
    MatchUnit units[kTextChars];
    const int length = static_cast<int>(TextToMatchUnits(entry, units, kTextChars));
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
