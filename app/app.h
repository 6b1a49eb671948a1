// Process-wide handles and state of the running program, set up at start-up.
#pragma once

#include <windows.h>

#include "state/settings.h"

struct AppHandles {
    HINSTANCE instance;
    HWND window;  // the command window: owner of message boxes, target of the hot key
    HMENU popup;  // the tray icon's menu
};

extern AppHandles g_app;
extern AppState g_state;

// Message box with the program's title, owned by `owner` (may be null).
int ShowMessage(HWND owner, const char* text, UINT flags);
