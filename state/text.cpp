#include "state/text.h"

#include <cstring>

namespace {

// The lead bytes of well-formed UTF-8 sequences: how many continuation bytes follow, and the
// range that the first of them keeps to (no overlong form, no surrogate, nothing past
// U+10FFFF). No other byte begins a sequence: not C0 and C1 (overlong forms of ASCII), not
// F5 to FF (past U+10FFFF).
struct Lead {
    unsigned char first, last;
    int pending;
    unsigned char low, high;
};
constexpr Lead kLeads[] = {{0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF},
                           {0xE1, 0xEC, 2, 0x80, 0xBF}, {0xED, 0xED, 2, 0x80, 0x9F},
                           {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
                           {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F}};

// The row of kLeads that `byte` begins; null for every byte that begins no sequence.
const Lead* FindLead(unsigned char byte) {
    for (const Lead& lead : kLeads) {
        if (byte >= lead.first && byte <= lead.last) {
            return &lead;
        }
    }
    return nullptr;
}

// The length of the UTF-8 sequence that `lead` begins; 1 for a single byte and for bytes
// that cannot begin a sequence.
std::size_t SequenceLength(unsigned char lead) {
    const Lead* row = FindLead(lead);
    return row != nullptr ? static_cast<std::size_t>(row->pending) + 1 : 1;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

std::size_t Utf8CutLength(const char* text, std::size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    // Back to the byte that begins the last sequence (at most three continuation bytes);
    // while that sequence does not end within the length, it goes, and the one before it is
    // looked at in turn. So a cut text, cut again, stays as it is.
    while (length > 0) {
        std::size_t start = length;
        int back = 0;
        while (back < kMaxCharBytes && start > 0 && IsContinuation(bytes[--start])) {
            ++back;
        }
        if (back == kMaxCharBytes || IsContinuation(bytes[start]) ||
            start + SequenceLength(bytes[start]) <= length) {
            return length;  // complete, or no sequence begins there: not UTF-8, kept
        }
        length = start;
    }
    return 0;
}

std::size_t TextCutLength(const char* text, std::size_t length) {
    if (TextIsUtf8()) {
        return Utf8CutLength(text, length);
    }
    std::size_t end = 0;
    while (end < length) {
        const std::size_t size = TextIsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + size > length) {
            break;
        }
        end += size;
    }
    return end;
}

const char* TextFindLastOf(const char* text, const char* set) {
    const char* found = nullptr;
    for (const char* p = text; *p != '\0'; ++p) {
        if (TextIsLeadByte(static_cast<unsigned char>(*p))) {
            if (p[1] == '\0') {
                break;
            }
            ++p;  // the second byte, whatever it is
        } else if (std::strchr(set, *p) != nullptr) {
            found = p;
        }
    }
    return found;
}

std::size_t TextCharCount(const char* text, std::size_t length) {
    if (!TextIsUtf8()) {
        return length;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i < length; ++i) {
        count += IsContinuation(static_cast<unsigned char>(text[i])) ? 0 : 1;
    }
    return count;
}

void CopyText(char* target, const char* source, std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    std::size_t n = 0;
    while (n + 1 < capacity && source[n] != '\0') {
        target[n] = source[n];
        ++n;
    }
    // Also drops a sequence that the source itself leaves open at its end.
    target[TextCutLength(target, n)] = '\0';
}

bool AppendText(char* target, const char* text, std::size_t capacity) {
    const std::size_t used = std::strlen(target);
    const std::size_t length = std::strlen(text);
    if (used + length >= capacity) {
        return false;
    }
    std::memcpy(target + used, text, length + 1);
    return true;
}

bool TextEqual(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

bool Utf8Check::Take(unsigned char byte) {
    if (!valid_) {
        return false;
    }
    if (pending_ > 0) {
        valid_ = byte >= low_ && byte <= high_;
        --pending_;
        low_ = 0x80;
        high_ = 0xBF;
        return valid_;
    }
    if (byte < 0x80) {
        return true;
    }
    const Lead* lead = FindLead(byte);
    if (lead != nullptr) {
        pending_ = lead->pending;
        low_ = lead->low;
        high_ = lead->high;
        return true;
    }
    valid_ = false;
    return false;
}

bool IsUtf8(const char* text, std::size_t length) {
    Utf8Check check;
    for (std::size_t i = 0; i < length; ++i) {
        if (!check.Take(static_cast<unsigned char>(text[i]))) {
            return false;
        }
    }
    return check.Complete();
}
