#include "state/text.h"

#include <windows.h>

bool TextEqualNoCase(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}

bool TextStartsWithNoCase(const char* text, const char* prefix) {
    // The same locale and flags as lstrcmpiA, over the first characters of `text`.
    const int length = lstrlenA(prefix);
    return lstrlenA(text) >= length && CompareStringA(GetThreadLocale(), NORM_IGNORECASE, text,
                                                      length, prefix, length) == CSTR_EQUAL;
}

std::size_t NoCaseKey(const char* text, unsigned char* key, std::size_t capacity) {
    // The same locale and flags as lstrcmpiA: its comparison is that of these sort keys.
    const int size = capacity > 0x7fffffff ? 0x7fffffff : static_cast<int>(capacity);
    const int written = LCMapStringA(GetThreadLocale(), LCMAP_SORTKEY | NORM_IGNORECASE, text, -1,
                                     reinterpret_cast<char*>(key), size);
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
