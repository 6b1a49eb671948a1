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
