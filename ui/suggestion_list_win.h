// The suggestion list below the command box: a popup of the command window that never takes
// the focus or the activation (the caret stays in the box), holding a standard list box with
// the entries' texts, drawn by the program: each row with the small icon of what it starts
// and, in grey at the right, its kind. It follows the box's text; the message loop hands it
// the keys of the box and the mouse of the list before the dialog manager sees them.
#pragma once

#include <windows.h>

#include "state/text.h"

// Follows the command box's new text: the suggestions for it, the names and programs at
// once, the entries of a folder that the text names listed on a thread of the list's own
// (a text typed meanwhile makes a listing stale). The list shows with nothing highlighted,
// at most 10 rows at a time, or closes when nothing matches. For each change the user makes.
void UpdateSuggestionList(HWND commandWindow);

// Closes the list; false when it was not open.
bool CloseSuggestionList();

// Moves an open list with the command window.
void PlaceSuggestionList();

// The message loop's first look at every message: with the list open, Down, Up, PageDown,
// PageUp and Tab in the box, the clicks in the list and the mouse wheel are the list's.
// True when the message was handled (and is not to be dispatched).
bool SuggestionListMessage(const MSG& message);

// What the list hands to Enter: the highlighted entry (or the one double-clicked), the text
// it was suggested for, and whether it is an installed program.
struct SuggestionChoice {
    char entry[kTextBuffer];
    char typed[kTextBuffer];
    bool isProgram;
};

// Takes the entry chosen in the list, if any, and closes the list; false when none was.
bool TakeSuggestionChoice(SuggestionChoice& choice);

// At the end of the command window: the listing thread ends, the list goes.
void DestroySuggestionList();
