#include "state/text.h"

#include <windows.h>

bool TextEqualNoCase(const char* a, const char* b) {
    return lstrcmpiA(a, b) == 0;
}
