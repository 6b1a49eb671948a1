// The common file dialogs and the folder browser, as the dialogs use them. Each takes a
// path buffer of kTextBuffer (261) characters, empties it so that nothing is proposed, and
// brings back the chosen full path in it (Chosen), nothing (Cancelled: the user cancelled
// or the picker failed), or nothing because the chosen path does not fit the buffer
// (TooLong: a cut path would name another file or folder). None of them shows a message.
#pragma once

#include <windows.h>

enum class PickerResult { Chosen, Cancelled, TooLong };

// A filter of one pair: display text, NUL, pattern, NUL, NUL.
extern const char kAliasFileFilter[];  // "Zantrel Alias Data (*.dat)" / "*.dat"
extern const char kAllFilesFilter[];   // "All (*.*)" / "*.*"

// Open picker: the file must exist. `defaultExtension` may be null.
PickerResult PickFileToOpen(HWND owner, const char* title, const char* filter,
                            const char* defaultExtension, char* path);

// Save picker: the folder must exist; an existing file is confirmed with the user first.
PickerResult PickFileToSave(HWND owner, const char* title, const char* filter,
                            const char* defaultExtension, char* path);

// Folder browser from the desktop down; only file-system folders can be confirmed.
PickerResult PickFolder(HWND owner, const char* title, char* path);

// True when `pick` is Chosen. A path TooLong is refused with a warning owned by `dialog`, the
// dialog the path was picked for, whose field then keeps what it held.
bool Picked(HWND dialog, PickerResult pick);
