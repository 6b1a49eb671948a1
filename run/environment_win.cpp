#include "run/environment_win.h"

#include <windows.h>

#include "state/text.h"

bool ExpandEnvironment(const char* text, char* buffer, int capacity) {
    if (capacity <= 0) {
        return false;
    }
    // The ANSI function needs room for one byte more than the text and its terminator. A
    // count above the room says that the result did not fit; a count within it does not
    // prove that it did (Wine counts the UTF-16 units of a UTF-8 result and cuts it short
    // without saying so). So the room is larger still: a result cut to it is longer than any
    // that is taken, and the length of what was written tells the two apart.
    char room[kTextBuffer + kMaxCharBytes + 2] = {};
    const DWORD size = sizeof room - 1;  // the last byte stays the terminator
    const DWORD needed = ExpandEnvironmentStringsA(text, room, size);
    if (needed == 0 || needed > size) {
        return false;
    }
    const int limit = capacity < kTextBuffer ? capacity : kTextBuffer;
    if (lstrlenA(room) >= limit) {
        return false;
    }
    CopyText(buffer, room, static_cast<std::size_t>(limit));
    return true;
}

bool IsExistingFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
