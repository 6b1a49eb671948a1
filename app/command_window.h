// The command window: the program's one non-modal window, its tray icon and its menus.
#pragma once

#include <windows.h>

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window class "Zantrel" that the command window's template names.
bool RegisterCommandWindowClass(HINSTANCE instance);

// Creates the (hidden) command window from its dialog template; null on failure.
HWND CreateCommandWindow(HINSTANCE instance);

// The tray icon's picture: icon 102 at the system's small-icon size, an image of its own
// (a shared load would hand back whichever size of the icon was loaded first, the class's
// large one). Start-up loads it into g_app.trayIcon once; shutdown destroys it.
HICON LoadTrayIcon(HINSTANCE instance);

// Adds the tray icon of `window` with the picture in g_app.trayIcon at start-up. Where the
// notification area is not ready (a start at logon, before the taskbar), the program runs
// on without it and without a word: the icon is added when "TaskbarCreated" arrives, and
// meanwhile tried again a few times over the first minute (one timer at a time, none once
// it is there or the tries are over). Every "TaskbarCreated" adds it again.
void ShowTrayIcon(HWND window);
void RemoveTrayIcon(HWND window);

// True once after each time the command window was hidden: the message loop then trims the
// working set.
bool TakeWindowHidden();

// The tray menu with its six items, "&Open" the default; null on failure.
HMENU CreatePopupMenuItems();

// Relabels the system menu's close item to "&Hide\tEsc" and appends the four commands.
void ExtendSystemMenu(HWND window);

// Moves the window to (x, y) keeping size and z-order. A position that would leave the
// window entirely outside every monitor is replaced by the first-start position.
void PlaceWindow(HWND window, int x, int y);
