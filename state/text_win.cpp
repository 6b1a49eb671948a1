#include "state/text.h"

#include <windows.h>

namespace {

// A text of the program's code page in UTF-16, for the NLS functions: their ANSI forms read
// the text through the code page of the locale they are given, never through the program's
// own UTF-8. Short texts (names, lines, history entries) stay on the stack.
class WideText {
  public:
    explicit WideText(const char* text) {
        const int bytes = lstrlenA(text);
        // One unit at most for each byte, and the terminator.
        units_ = bytes < kInline
                     ? inline_
                     : static_cast<WCHAR*>(HeapAlloc(
                           GetProcessHeap(), 0, sizeof(WCHAR) * (static_cast<SIZE_T>(bytes) + 1)));
        if (units_ == nullptr) {
            return;
        }
        length_ = bytes == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text, bytes, units_, bytes);
        units_[length_] = L'\0';
        valid_ = bytes == 0 || length_ > 0;
    }
    ~WideText() {
        if (units_ != inline_ && units_ != nullptr) {
            HeapFree(GetProcessHeap(), 0, units_);
        }
    }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    bool Valid() const { return valid_; }
    const WCHAR* Units() const { return units_; }
    int Length() const { return length_; }

    // The number of units that the first `characters` characters take (surrogate pairs are
    // one character), or -1 when the text has fewer characters.
    int UnitsOf(int characters) const {
        int at = 0;
        for (; characters > 0 && at < length_; --characters) {
            at += IS_HIGH_SURROGATE(units_[at]) && at + 1 < length_ ? 2 : 1;
        }
        return characters == 0 ? at : -1;
    }
    int Characters() const {
        int count = 0;
        for (int at = 0; at < length_; ++at) {
            count +=
                IS_LOW_SURROGATE(units_[at]) && at > 0 && IS_HIGH_SURROGATE(units_[at - 1]) ? 0 : 1;
        }
        return count;
    }

  private:
    static constexpr int kInline = kStoredTextBuffer;
    WCHAR inline_[kInline];
    WCHAR* units_ = nullptr;
    int length_ = 0;
    bool valid_ = false;
};

// As lstrcmpiW compares: the user's locale, letter case ignored.
constexpr DWORD kNoCaseFlags = NORM_IGNORECASE;

bool EqualNoCase(const WCHAR* a, int aLength, const WCHAR* b, int bLength) {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, kNoCaseFlags, a, aLength, b, bLength, nullptr,
                           nullptr, 0) == CSTR_EQUAL;
}

}  // namespace

bool TextEqualNoCase(const char* a, const char* b) {
    const WideText wideA(a);
    const WideText wideB(b);
    return wideA.Valid() && wideB.Valid() && EqualNoCase(wideA.Units(), -1, wideB.Units(), -1);
}

bool TextStartsWithNoCase(const char* text, const char* prefix) {
    // The first characters of `text`, as many as `prefix` has.
    const WideText wideText(text);
    const WideText widePrefix(prefix);
    if (!wideText.Valid() || !widePrefix.Valid()) {
        return false;
    }
    const int units = wideText.UnitsOf(widePrefix.Characters());
    return widePrefix.Length() == 0 ||
           (units > 0 &&
            EqualNoCase(wideText.Units(), units, widePrefix.Units(), widePrefix.Length()));
}

std::size_t NoCaseKey(const char* text, unsigned char* key, std::size_t capacity) {
    // The locale and flags of TextEqualNoCase: its comparison is that of these sort keys.
    const WideText wide(text);
    if (!wide.Valid()) {
        return 0;
    }
    const int size = capacity > 0x7fffffff ? 0x7fffffff : static_cast<int>(capacity);
    const int written =
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | kNoCaseFlags, wide.Units(), -1,
                      reinterpret_cast<LPWSTR>(key), size, nullptr, nullptr, 0);
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

bool TextIsUtf8() {
    return GetACP() == CP_UTF8;
}

namespace {

// The ANSI code page of the system locale: the program's own before the manifest chose
// UTF-8, and the one in which older exports were written.
UINT LegacyCodePage() {
    DWORD page = 0;
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&page), sizeof(page) / sizeof(WCHAR)) == 0 ||
        page == 0) {
        page = 1252;
    }
    return page;
}

}  // namespace

std::size_t LegacyToUtf8(const char* text, std::size_t length, char* target, std::size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    WCHAR wide[kTextBuffer];
    const int units = length == 0 ? 0
                                  : MultiByteToWideChar(
                                        LegacyCodePage(), 0, text,
                                        static_cast<int>(length > kTextChars ? kTextChars : length),
                                        wide, kTextBuffer);
    // A UTF-16 unit takes at most three bytes of UTF-8.
    char utf8[3 * kTextBuffer + 1];
    const int bytes = units <= 0 ? 0
                                 : WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8,
                                                       sizeof(utf8) - 1, nullptr, nullptr);
    std::size_t n = static_cast<std::size_t>(bytes > 0 ? bytes : 0);
    utf8[n] = '\0';
    n = Utf8CutLength(utf8, n < capacity - 1 ? n : capacity - 1);
    for (std::size_t i = 0; i < n; ++i) {
        target[i] = utf8[i];
    }
    target[n] = '\0';
    return n;
}

bool TextIsLeadByte(unsigned char byte) {
    return !TextIsUtf8() && IsDBCSLeadByteEx(CP_ACP, byte) != FALSE;
}

std::size_t TextToMatchUnits(const char* text, MatchUnit* units, std::size_t capacity) {
    const std::size_t limit = capacity < kTextChars ? capacity : kTextChars;
    // ASCII, the names of nearly every program and file, needs no system call; the bytes
    // before the first that is not ASCII are whole characters in every code page.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t n = 0;
    for (; n < limit && bytes[n] != 0 && bytes[n] < 0x80; ++n) {
        units[n] = AsciiMatchUnit(bytes[n]);
    }
    if (n == limit || bytes[n] == 0) {
        return n;
    }
    const WideText wide(text + n);
    if (!wide.Valid()) {
        return n;
    }
    // Two UTF-16 units at most for each character still wanted.
    constexpr int kUnits = 2 * kTextChars;
    WCHAR lower[kUnits];
    WORD types[kUnits];
    const int wanted = static_cast<int>(2 * (limit - n));
    int length = wide.Length() < wanted ? wide.Length() : wanted;
    if (length == 0 ||
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_LOWERCASE, wide.Units(), length, lower,
                      kUnits, nullptr, nullptr, 0) != length ||
        !GetStringTypeW(CT_CTYPE1, wide.Units(), length, types)) {
        return n;
    }
    const WCHAR* original = wide.Units();
    for (int at = 0; at < length && n < limit; ++at) {
        const WCHAR c = original[at];
        if (c < 0x80) {
            units[n++] = AsciiMatchUnit(static_cast<unsigned char>(c));
            continue;
        }
        const WORD type = types[at];
        std::uint32_t folded = lower[at];
        if (IS_HIGH_SURROGATE(lower[at]) && at + 1 < length && IS_LOW_SURROGATE(lower[at + 1])) {
            folded = 0x10000u + ((folded - 0xD800u) << 10) + (lower[at + 1] - 0xDC00u);
            ++at;
        }
        const std::uint8_t kind = (type & C1_UPPER) != 0   ? kMatchUpper
                                  : (type & C1_LOWER) != 0 ? kMatchLower
                                  : (type & C1_DIGIT) != 0 ? kMatchDigit
                                  : (type & C1_SPACE) != 0 ? kMatchDelimiter
                                                           : kMatchOther;
        units[n++] = {folded, kind};
    }
    return n;
}
