// The command window: the program's one non-modal window, its tray icon and its menus.
#pragma once

#include <windows.h>

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window class "Zantrel" that the command window's template names.
bool RegisterCommandWindowClass(HINSTANCE instance);

// Creates the (hidden) command window from its dialog template; null on failure.
HWND CreateCommandWindow(HINSTANCE instance);

// The tray icon's picture, icon 102 at 16 x 16. Loaded shared: every add, at start and again
// for each "TaskbarCreated", uses the same handle, which the system frees with the program.
HICON TrayIcon();

// Adds and removes the tray icon of `window`.
bool AddTrayIcon(HWND window);
void RemoveTrayIcon(HWND window);

// The tray menu with its six items, "&Open" the default; null on failure.
HMENU CreatePopupMenuItems();

// Relabels the system menu's close item to "&Hide\tEsc" and appends the four commands.
void ExtendSystemMenu(HWND window);

// Moves the window to (x, y) keeping size and z-order. A position that would leave the
// window entirely outside every monitor is replaced by the first-start position.
void PlaceWindow(HWND window, int x, int y);
