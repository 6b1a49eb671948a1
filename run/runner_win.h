#pragma once

#include <windows.h>

// Runs the text of the command box: what the command window does for IDOK. `elevated`
// runs it with administrator rights (Control+Shift+Enter).
void CommandRunner(HWND window, bool elevated = false);
