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
