// Fixed-size 8-bit text: the limits every buffer of the program follows, bounded copy and
// comparison. Texts are in the program's code page: UTF-8 where Windows lets the program
// choose it (the manifest asks for it), otherwise the machine's ANSI code page. A character
// may then take up to four bytes: the limits count bytes, and every cut falls between two
// characters, so that no text ever ends inside a UTF-8 sequence.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kNameChars = 16;               // longest alias name
constexpr int kNameBuffer = kNameChars + 1;  // with its terminator
constexpr int kTextChars = 260;              // longest command line, path or history entry
constexpr int kTextBuffer = kTextChars + 1;
constexpr int kMaxCharBytes = 4;  // the longest UTF-8 sequence

// Room for a name or text as the registry holds it, read whole: what an earlier version
// wrote in a legacy code page, one byte a character, takes up to four bytes a character as
// UTF-8. The alias records and the history slots keep such texts unchanged; what is typed,
// edited or imported is still cut to the limits above.
constexpr int kStoredNameBuffer = kMaxCharBytes * kNameChars + 1;
constexpr int kStoredTextBuffer = kMaxCharBytes * kTextChars + 1;

// True when texts are UTF-8: natively unless a test has switched the code page
// (state/text_posix.h); on Windows when the program's code page is UTF-8 (GetACP() is 65001,
// Windows 10 version 1903 and later).
bool TextIsUtf8();

// The length of the longest start of the first `length` bytes of `text` that does not end
// inside a UTF-8 sequence: a sequence that begins before `length` and would end after it is
// left out whole. Bytes that are not UTF-8 are kept as they are.
std::size_t Utf8CutLength(const char* text, std::size_t length);

// True when `byte` begins a two-byte character of the program's code page: never for UTF-8,
// whose sequences Utf8CutLength tells; in a legacy double-byte code page (where Windows
// ignores the manifest's UTF-8, before Windows 10 version 1903) a lead byte of that page, as
// IsDBCSLeadByteEx tells. Its second byte may then be any byte from 0x40 up, '\' among them.
bool TextIsLeadByte(unsigned char byte);

// Where the first `length` bytes of `text` may be cut: Utf8CutLength for UTF-8 texts; in a
// legacy code page before a lead byte whose second byte lies beyond `length` (and so
// `length` itself in a single-byte code page).
std::size_t TextCutLength(const char* text, std::size_t length);

// The last character of `text` that is one of the ASCII characters in `set`, not the second
// byte of a double-byte character; null when there is none. The search for '\' in a path.
const char* TextFindLastOf(const char* text, const char* set);

// The number of characters in the first `length` bytes of `text`: UTF-8 characters (bytes
// that do not continue a sequence) for UTF-8 texts, bytes in a legacy code page.
std::size_t TextCharCount(const char* text, std::size_t length);

// Copies at most `capacity` - 1 bytes of `source`, cut between two characters, and always
// terminates `target` (when `capacity` is at least 1). `target` may be `source` itself.
void CopyText(char* target, const char* source, std::size_t capacity);

// Appends `text` to the terminated text in `target` (capacity bytes, terminator included)
// when the whole of it fits; otherwise leaves `target` as it was and returns false.
bool AppendText(char* target, const char* text, std::size_t capacity);

// Checks bytes one at a time for well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing above U+10FFFF.
class Utf8Check {
  public:
    // False once the bytes taken so far are not UTF-8.
    bool Take(unsigned char byte);
    // True when every byte taken was UTF-8 and no sequence is left open.
    bool Complete() const { return valid_ && pending_ == 0; }

  private:
    bool valid_ = true;
    int pending_ = 0;           // continuation bytes still to come
    unsigned char low_ = 0x80;  // the range of the next continuation byte
    unsigned char high_ = 0xBF;
};

// True when the first `length` bytes of `text` are well-formed UTF-8.
bool IsUtf8(const char* text, std::size_t length);

// Converts `length` bytes (at most kTextChars) of text in the machine's legacy ANSI code
// page (the one it had before the program chose UTF-8) to UTF-8 in `target` (capacity bytes), cut
// between two characters to what fits, and terminated. Returns the length written. On Windows the
// code page is the system locale's default ANSI code page; natively, where there is none, ISO
// 8859-1.
std::size_t LegacyToUtf8(const char* text, std::size_t length, char* target, std::size_t capacity);

// Exact comparison, letter case included.
bool TextEqual(const char* a, const char* b);

// Comparison without regard to letter case. On Windows the texts are compared in UTF-16
// as lstrcmpiW compares them (CompareStringEx in the user's locale with NORM_IGNORECASE);
// the native build folds ASCII letters.
bool TextEqualNoCase(const char* a, const char* b);

// True when `text` begins with `prefix`, compared as TextEqualNoCase compares: the first
// characters of `text`, as many as `prefix` has.
bool TextStartsWithNoCase(const char* text, const char* prefix);

// A key for TextEqualNoCase: two texts that compare equal have equal keys, so a search can
// look a text up by its key and compare only the texts whose keys match. Natively the ASCII
// fold; on Windows the sort key by which TextEqualNoCase compares (LCMapStringEx with
// LCMAP_SORTKEY | NORM_IGNORECASE in the user's locale). Writes at most `capacity` bytes
// to `key` and returns how many, or 0 when no key could be made.
std::size_t NoCaseKey(const char* text, unsigned char* key, std::size_t capacity);

// A character as the suggestions match it: folded to lower case, and what kind of character
// it was, for telling where words begin.
enum MatchKind : std::uint8_t {
    kMatchLower,
    kMatchUpper,
    kMatchDigit,
    kMatchDelimiter,  // a space, '\', '-', '_' or '.'
    kMatchOther,
};
struct MatchUnit {
    std::uint32_t folded;  // the character in lower case: a Unicode code point, but natively in
                           // a legacy code page its byte or bytes
    std::uint8_t kind;     // MatchKind
};

// The units of the ASCII characters, as both folds below make them: letters folded to lower
// case.
struct AsciiMatchUnits {
    MatchUnit units[128];
    constexpr AsciiMatchUnits() : units() {
        for (unsigned c = 0; c < 128; ++c) {
            const bool delimiter = c == ' ' || c == '\\' || c == '-' || c == '_' || c == '.';
            units[c] = c >= 'A' && c <= 'Z'   ? MatchUnit{c - 'A' + 'a', kMatchUpper}
                       : c >= 'a' && c <= 'z' ? MatchUnit{c, kMatchLower}
                       : c >= '0' && c <= '9' ? MatchUnit{c, kMatchDigit}
                       : delimiter            ? MatchUnit{c, kMatchDelimiter}
                                              : MatchUnit{c, kMatchOther};
        }
    }
};
inline constexpr AsciiMatchUnits kAsciiMatchUnits;

// The unit of the ASCII character `c` (below 0x80).
inline MatchUnit AsciiMatchUnit(unsigned char c) {
    return kAsciiMatchUnits.units[c & 0x7F];
}

// The units of the first characters of `text`, at most `capacity` and at most kTextChars of
// them; returns how many it wrote. On Windows, ASCII texts are folded directly; others are read
// in UTF-16 and folded as LCMapStringEx folds them to lower case in the user's locale (the fold
// of TextEqualNoCase, but for rare characters), upper and lower case told by GetStringTypeW.
// Natively UTF-8 is decoded (a byte that is not UTF-8 is a character of its own) and ASCII
// letters are folded; in a legacy code page each byte, or double-byte character, is one unit.
std::size_t TextToMatchUnits(const char* text, MatchUnit* units, std::size_t capacity);
