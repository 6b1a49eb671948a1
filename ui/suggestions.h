// What the command box suggests while the user types, apart from the window system: the
// alias names, the installed programs, the history entries and the entries of the folder
// that the text names, each kept when the typed characters appear in it in order without
// regard to letter case, ranked by how well they match, each text once, the best
// kMaxSuggestions of them. Portable: no Windows headers.
//
//   StartSuggestions(list, typed, remembered);      for each change of the box's text
//   SuggestNames(list, aliases, history);           the aliases and the history
//   OfferSuggestion(list, name, kProgram, n, u);    each program of the index
//   AddFolderEntry(list, query, name, isFolder);    each entry of the folder listed
//   FinishSuggestions(list);                        best first: list.items[0 .. count - 1]
#pragma once

#include <cstdint>

#include "state/alias_list.h"
#include "state/history.h"
#include "state/text.h"

constexpr int kMaxSuggestions = 100;

// What an entry is. Of two equal texts (without regard to letter case) the kind named first
// here is kept; of two equal scores and lengths, too, it comes first.
enum class SuggestionKind : std::uint8_t { kAlias, kProgram, kRecent, kFolder, kFile };

// The word that the list shows in grey beside an entry: "alias", "program", "recent",
// "folder", "file".
const char* SuggestionKindName(SuggestionKind kind);

struct Suggestion {
    char text[kTextBuffer];  // what goes into the box
    SuggestionKind kind;
    int program;  // for kProgram, the program's number in the index it came from; else -1
    int icon;     // for the window side: the icon's index in the system image list, -1 until
                  // it is fetched
    // How it ranks; only the ranking reads them.
    std::uint8_t place;  // 0 remembered for the typed text, 1 an alias named so, 2 a program
                         // named so, 3 the rest by score
    bool later;          // after the others of its score (an uninstaller)
    int score;
    std::uint32_t key;     // a hash of its folded text, for finding equal texts
    std::uint16_t length;  // in characters
};

struct Suggestions {
    char typed[kTextBuffer];       // the text that the entries match
    char remembered[kTextBuffer];  // the entry remembered for it, "" when none
    int count;
    Suggestion items[kMaxSuggestions];  // best first once FinishSuggestions has run

    // The ranking's own working state.
    MatchUnit typedUnits[kTextChars];  // the typed text folded
    int typedLength;                   // its characters; 0: nothing is suggested
    std::uint32_t typedKey;            // the keys of the typed text and the remembered entry
    std::uint32_t rememberedKey;
    int rememberedLength;                   // its characters; -1 when there is none
    std::uint64_t orders[kMaxSuggestions];  // the items' ranks but for their texts, side by side
    // A quick sign of each item's folded text, and how many items have each sign: only the
    // items of an offered text's sign can hold that text.
    std::uint16_t signs[kMaxSuggestions];
    std::uint8_t signCounts[1024];
    // The items as a heap of the worst on top, which a better entry replaces once the list is
    // full, and where each item is in it.
    std::uint8_t heap[kMaxSuggestions];
    std::uint8_t where[kMaxSuggestions];
    // The folder query that AddFolderEntry last saw: its partial name folded, and how many
    // characters its shown part has.
    char shown[kTextBuffer];
    char partial[kTextBuffer];
    MatchUnit partialUnits[kTextChars];
    int partialLength;
    int shownLength;  // -1 until a folder entry is offered
};

// How well `text` matches `typed`: 0 when the characters of `typed` do not all appear in
// `text` in order (without regard to letter case), else higher the better: a match at the
// start of the text and at the starts of words (after a space, '\', '-', '_', '.', or where
// a lower-case letter is followed by a capital) and runs of consecutive characters score
// high; gaps and a late first character score low. An empty `typed` matches nothing, nor
// does a text longer than a line (260 bytes).
int MatchScore(const char* typed, const char* text);

// Empties `list` for the text `typed`; `remembered` (may be null) is the entry that the user
// ran for exactly this text last time, which comes first when it is offered.
void StartSuggestions(Suggestions& list, const char* typed, const char* remembered);

// Offers one entry: kept when `text` matches the typed text, is no longer than a line
// (260 bytes), is not there already (without regard to letter case; the kind first in
// SuggestionKind's order stays) and ranks among the best kMaxSuggestions. `program` for
// kProgram (else -1); `later` ranks it after the others of its score.
void OfferSuggestion(Suggestions& list, const char* text, SuggestionKind kind, int program = -1,
                     bool later = false);

// Offers the alias names in list order and the history entries from the most recent.
void SuggestNames(Suggestions& list, const AliasList& aliases, const CommandHistory& history);

// Sorts what was kept, best first: the remembered entry, then an alias whose name is the
// whole typed text, then a program whose name is, then by score; of equal scores those
// offered `later` last, then the shorter text first, then by kind, then alphabetically.
void FinishSuggestions(Suggestions& list);

// A folder that the typed text names, and the start of the names wanted from it.
struct FolderQuery {
    char folder[kTextBuffer];   // the folder to list, ending in '\'
    char shown[kTextBuffer];    // what the typed text holds up to its last '\'
    char partial[kTextBuffer];  // what it holds after that
};

// True when `typed` names a folder followed by a partial name: a path from a drive's root
// ("C:\Pro", "C:\Program Files\"), or one beginning with ".\" or "..\", taken from
// `startFolder` (the expanded default start folder; when empty, from the current folder).
// A leading double quote is passed over. Network paths ("\\server\...") are never listed,
// nor names with a wildcard.
bool FolderToList(const char* typed, const char* startFolder, FolderQuery& query);

// Offers the folder entry `name` (a folder when `isFolder`, then shown ending in '\') as the
// typed text would read with it: matched and scored by its name against the partial name
// (an empty partial name matches every entry), kind kFolder or kFile.
void AddFolderEntry(Suggestions& list, const FolderQuery& query, const char* name, bool isFolder);
