// Fixed-size ANSI text: the limits every buffer of the program follows, bounded copy and
// comparison. One byte is one character.
#pragma once

#include <cstddef>

constexpr int kNameChars = 16;               // longest alias name
constexpr int kNameBuffer = kNameChars + 1;  // with its terminator
constexpr int kTextChars = 260;              // longest command line, path or history entry
constexpr int kTextBuffer = kTextChars + 1;

// Copies at most `capacity` - 1 characters of `source` and always terminates `target`
// (when `capacity` is at least 1). Same contract as lstrcpynA.
void CopyText(char* target, const char* source, std::size_t capacity);

// Exact comparison, letter case included.
bool TextEqual(const char* a, const char* b);

// Comparison without regard to letter case. On Windows this is lstrcmpiA (the user's
// locale); the native build folds ASCII letters.
bool TextEqualNoCase(const char* a, const char* b);

// True when `text` begins with `prefix`, compared as TextEqualNoCase compares.
bool TextStartsWithNoCase(const char* text, const char* prefix);

// A key for TextEqualNoCase: two texts that compare equal have equal keys, so a search can
// look a text up by its key and compare only the texts whose keys match. Natively the ASCII
// fold; on Windows the sort key by which lstrcmpiA compares (LCMapStringA with
// LCMAP_SORTKEY | NORM_IGNORECASE in the thread's locale). Writes at most `capacity` bytes
// to `key` and returns how many, or 0 when no key could be made.
std::size_t NoCaseKey(const char* text, unsigned char* key, std::size_t capacity);
