// Suggestions while typing in the command box: the system's autocomplete object on the
// box's edit field, suggestion list only, with a list source of our own.
#pragma once

#include <windows.h>

// Attaches the autocomplete object to the edit field of `commandBox` (a drop-down combo
// box), once: later calls do nothing. False when the system has none to give.
bool AttachSuggestions(HWND commandBox);

// True once AttachSuggestions has succeeded.
bool SuggestionsAttached();

// Takes the box's new text: the list source works out its suggestions, and the object is
// told to ask for them again. For each change that the user makes (CBN_EDITCHANGE).
// `justAttached`: the object came too late to see this change, and is shown it.
void UpdateSuggestions(bool justAttached);

// Closes the suggestion list; false when it was not open. Enter (`takeHighlighted`) first
// puts the highlighted suggestion, if there is one, into the box.
bool CloseSuggestions(bool takeHighlighted);

// Lets go of the autocomplete object, before the command window goes.
void ReleaseSuggestions();
