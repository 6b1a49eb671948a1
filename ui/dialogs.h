// The dialogs of the program and help. Each returns what its caller needs.
#pragma once

#include <windows.h>

#include "state/alias_list.h"

// Runs the Settings dialog modally; 1 after OK, 0 after Cancel.
INT_PTR ShowSettingsDialog(HWND owner);

// Run the alias editors modally; 1 when the alias list was changed (and saved), 0 after
// Cancel. Edit Alias changes `alias`, an alias of g_state.aliases.
INT_PTR ShowNewAliasDialog(HWND owner);
INT_PTR ShowEditAliasDialog(HWND owner, AliasRecord& alias);

// Runs the About box modally.
void ShowAboutBox(HWND owner);

// Opens the help in the install folder at `keyword` ("Contents" or "Settings"): zantrel.chm
// in the HTML Help viewer when it is there, otherwise zantrel.hlp through WinHelp. The
// viewer is owned by the command window, whatever asked for it: owned by a modal dialog, it
// would go when the dialog goes. False when the help system refused; the caller tells the
// user.
bool OpenHelp(const char* keyword);

// Closes the HTML Help windows that OpenHelp opened; they are not modal, so they would
// outlive the program's own windows. Does nothing when no HTML help was ever asked for.
void CloseHelp();

// Saves the whole state; when that fails, says so in a message box owned by `owner`.
void SaveStateOrTell(HWND owner);
