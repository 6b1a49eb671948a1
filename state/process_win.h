// The process-wide records of the running program: its handles, the one AppState (settings,
// aliases, history and the flags beside them) and the message box every layer shows.
// Set up at start-up; everything from state/ upwards reads and changes them directly, so
// this header sits at the bottom of the include graph and includes nothing above state/.
#pragma once

#include <windows.h>

#include "state/settings.h"

struct AppHandles {
    HINSTANCE instance;
    HWND window;     // the command window: owner of message boxes, target of the hot key
    HMENU popup;     // the tray icon's menu
    HICON trayIcon;  // the tray icon's picture, for every add of the icon
};

extern AppHandles g_app;
extern AppState g_state;

// Message box with the program's title, owned by `owner` (may be null).
int ShowMessage(HWND owner, const char* text, UINT flags);
