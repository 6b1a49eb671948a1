// The common file dialogs and the folder browser, as the dialogs use them. Each takes a
// path buffer of kTextBuffer (261) characters, empties it so that nothing is proposed, and
// returns true with the chosen full path in it, or false when the user cancelled or the
// picker failed; none of them shows a message.
#pragma once

#include <windows.h>

// A filter of one pair: display text, NUL, pattern, NUL, NUL.
extern const char kAliasFileFilter[];  // "Zantrel Alias Data (*.dat)" / "*.dat"
extern const char kAllFilesFilter[];   // "All (*.*)" / "*.*"

// Open picker: the file must exist. `defaultExtension` may be null.
bool PickFileToOpen(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                    char* path);

// Save picker: the folder must exist; an existing file is confirmed with the user first.
bool PickFileToSave(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                    char* path);

// Folder browser from the desktop down; only file-system folders can be confirmed.
bool PickFolder(HWND owner, const char* title, char* path);
