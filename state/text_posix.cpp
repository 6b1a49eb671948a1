#include "state/text.h"
#include "state/text_posix.h"

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

namespace {

unsigned g_codePage = kNativeUtf8;

}  // namespace

void SetNativeCodePage(unsigned codePage) {
    g_codePage = codePage;
}

bool TextIsUtf8() {
    return g_codePage == kNativeUtf8;
}

bool TextIsLeadByte(unsigned char byte) {
    // The lead bytes of Shift-JIS, whose second bytes include '\'.
    return g_codePage == kNativeShiftJis &&
           ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

std::size_t LegacyToUtf8(const char* text, std::size_t length, char* target, std::size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    // ISO 8859-1: every byte is the character of the same number.
    std::size_t n = 0;
    for (std::size_t i = 0; i < length && text[i] != '\0'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t size = c < 0x80 ? 1 : 2;
        if (n + size >= capacity) {
            break;
        }
        if (size == 1) {
            target[n++] = static_cast<char>(c);
        } else {
            target[n++] = static_cast<char>(0xC0 | c >> 6);
            target[n++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    target[n] = '\0';
    return n;
}

std::size_t TextToMatchUnits(const char* text, MatchUnit* units, std::size_t capacity) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    const std::size_t limit = capacity < kTextChars ? capacity : kTextChars;
    std::size_t n = 0;
    while (n < limit && *p != 0) {
        const unsigned char c = *p++;
        if (c < 0x80) {
            units[n++] = AsciiMatchUnit(c);
            continue;
        }
        std::uint32_t folded = 0x80000000u | c;  // a byte of its own, as it is
        if (TextIsUtf8()) {
            const int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            std::uint32_t point = c & (0x3Fu >> more);
            int taken = 0;
            while (taken < more && (p[taken] & 0xC0) == 0x80) {
                point = point << 6 | (p[taken++] & 0x3Fu);
            }
            if (more > 0 && taken == more && c < 0xF5) {
                folded = point;
                p += more;
            }
        } else if (TextIsLeadByte(c) && *p != 0) {
            folded = static_cast<std::uint32_t>(c) << 8 | *p++;
        }
        units[n++] = {folded, kMatchOther};
    }
    return n;
}
