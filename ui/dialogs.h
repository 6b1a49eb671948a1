// The dialogs of the program and help. Each returns what its caller needs.
#pragma once

#include <windows.h>

// Runs the Settings dialog modally; 1 after OK, 0 after Cancel.
INT_PTR ShowSettingsDialog(HWND owner);

// Runs the About box modally.
void ShowAboutBox(HWND owner);

// Opens the help file in the install folder at `keyword`; false when the help system
// refused. The caller tells the user.
bool OpenHelp(HWND owner, const char* keyword);
