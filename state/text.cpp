#include "state/text.h"

#include <cstring>

void CopyText(char* target, const char* source, std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    std::size_t n = 0;
    while (n + 1 < capacity && source[n] != '\0') {
        target[n] = source[n];
        ++n;
    }
    target[n] = '\0';
}

bool TextEqual(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}
