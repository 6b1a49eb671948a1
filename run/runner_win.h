#pragma once

#include <windows.h>

// Runs the text of the command box: what the command window does for IDOK.
void CommandRunner(HWND window);
