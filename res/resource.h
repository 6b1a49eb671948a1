// Every resource and control identifier of the program. Prefixes: IDD_ dialog
// templates, IDI_ icons, IDC_ controls, ID_ commands of the command window.
#pragma once

#define IDD_COMMAND 101
#define IDI_ZANTREL 102
#define IDD_SETTINGS 103
#define IDD_ABOUT 104
#define IDD_NEW_ALIAS 105
#define IDD_EDIT_ALIAS 106

// Command window (template IDD_COMMAND). IDOK (1) is its ">" button.
#define IDC_COMMAND_BOX 1000

// About box (template IDD_ABOUT). Its OK button carries IDCANCEL (2).
#define IDC_LICENSE 1033

// Commands sent as WM_COMMAND to the command window. IDOK runs the entered line and
// IDCANCEL hides the window.
#define ID_TRAYICON 2000
#define ID_OPEN 2001
#define ID_CLOSE 2002
#define ID_ABOUT 2003
#define ID_SETTINGS 2004
#define ID_HELP 2005

// Tray icon callback message (WM_USER + 1) and the global hot key's identifier.
#define WM_TRAYNOTIFY 1025
#define HOTKEY_ID 1
