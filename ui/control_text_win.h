// Texts read out of the dialogs' controls.
#pragma once

#include <windows.h>

#include <cstddef>

// The text of control `id` of `dialog` into `text` (capacity bytes), cut between characters
// to what fits and terminated, like every text of the program. (GetDlgItemTextA itself may
// cut a character in two when the buffer is too small.)
void ReadControlText(HWND dialog, int id, char* text, std::size_t capacity);
