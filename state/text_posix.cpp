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
