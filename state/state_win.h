// The state operations on the process-wide state, the real registry and the command
// window's controls.
#pragma once

#include <windows.h>

// Start-up: defaults, the registry load, the first-run aliases and the saved hot key
// (a failed registration is reported to the user).
void ResetAndLoadState();

// Writes the whole state to the registry; false only when the main key cannot be created.
bool SaveState();

// Refills the command box's drop-down list from the history, slot 0 first.
void FillHistoryList();

// Empties the history and the drop-down list.
void ClearHistory();

// Empties `listBox` and adds every alias name in list order.
void FillAliasListBox(HWND listBox);
