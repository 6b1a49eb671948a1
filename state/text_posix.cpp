#include "state/text.h"

static unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool TextEqualNoCase(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p != 0 && FoldAscii(*p) == FoldAscii(*q)) {
        ++p;
        ++q;
    }
    return FoldAscii(*p) == FoldAscii(*q);
}

bool TextStartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (FoldAscii(static_cast<unsigned char>(*text)) !=
            FoldAscii(static_cast<unsigned char>(*prefix))) {
            return false;  // also at the end of `text`
        }
    }
    return true;
}

std::size_t NoCaseKey(const char* text, unsigned char* key, std::size_t capacity) {
    std::size_t n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (n == capacity) {
            return 0;
        }
        key[n++] = FoldAscii(*p);
    }
    // Never 0 for a key that could be made: the empty text has a key of one zero byte.
    if (n == capacity) {
        return 0;
    }
    key[n++] = 0;
    return n;
}
