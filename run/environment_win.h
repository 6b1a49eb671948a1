// Two answers of Windows that more than one part of the program asks for: the environment
// variables in a text, and whether a path names a file.
#pragma once

// Writes `text` with its %NAME% variables expanded into `buffer` (`capacity` bytes, at most
// kTextBuffer); a name that is not defined stays as it is. False, and `buffer` undefined,
// when the result needs more than `capacity` - 1 bytes.
bool ExpandEnvironment(const char* text, char* buffer, int capacity);

// True when `path` names an existing file, not a folder.
bool IsExistingFile(const char* path);
