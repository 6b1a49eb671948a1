// The state operations on the process-wide state, the real registry and the command
// window's controls.
#pragma once

#include <windows.h>

// Start-up: defaults, the registry load, the first-run aliases and the saved hot key
// (a failed registration is reported to the user).
void ResetAndLoadState();

// Registers `hotKey` (the hot-key control's encoding, not 0) as the global hot key of the
// command window, its flags translated to the registration modifiers. False when the
// system refused it, for example because another program holds it.
bool RegisterProgramHotKey(WORD hotKey);

// Writes the whole state to the registry; false when any part of it could not be written.
// Callers that talk to the user then show "Error saving settings."; the saves at the end of
// the session and at exit ignore the result.
bool SaveState();

// Refills the command box's drop-down list from the history, slot 0 first.
void FillHistoryList();

// Shows in the drop-down list what AddToHistory did when it returned true: slot 0 at the top
// and, when an entry went out of the last slot (`lastDropped`), the list's last one gone. Far
// cheaper than a refill (under Wine each item added to the list takes a third of a
// millisecond, on the way from Enter to the started program).
void ShowNewHistoryEntry(bool lastDropped);

// Empties the history, the drop-down list and the remembered picks: the user's one way to
// make the program forget what was run.
void ClearHistory();

// Empties `listBox` and adds every alias name in list order.
void FillAliasListBox(HWND listBox);
