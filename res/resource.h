// Every resource and control identifier of the program. Prefixes: IDD_ dialog
// templates, IDI_ icons, IDC_ controls, ID_ commands of the command window, IDT_ timers.
#pragma once

#define IDD_COMMAND 101
#define IDI_ZANTREL 102
#define IDD_SETTINGS 103
#define IDD_ABOUT 104
#define IDD_NEW_ALIAS 105
#define IDD_EDIT_ALIAS 106

// Command window (template IDD_COMMAND). IDOK (1) is its ">" button.
#define IDC_COMMAND_BOX 1000

// Settings dialog (template IDD_SETTINGS). IDOK stores and saves, IDCANCEL leaves. The
// "After Command" buttons' ids are the values AfterCommand takes for Stay (1002).
#define IDC_AFTER_HIDE 1001
#define IDC_AFTER_STAY 1002
#define IDC_AFTER_CLOSE 1003
#define IDC_START_ON_BOOT 1004
#define IDC_START_HIDDEN 1005
#define IDC_START_OPEN 1006
#define IDC_ALIAS_LIST 1007
#define IDC_NEW_ALIAS 1008
#define IDC_EDIT_ALIAS 1009
#define IDC_DELETE_ALIAS 1010
#define IDC_HOTKEY 1012
#define IDC_CLEAR_HISTORY 1018
#define IDC_IMPORT 1025
#define IDC_EXPORT 1026
#define IDC_SETTINGS_HELP 1031
// The start path field: the default one in Settings, the alias's in the alias editors.
#define IDC_START_PATH 1034

// Alias editors (templates IDD_NEW_ALIAS and IDD_EDIT_ALIAS), with IDC_START_PATH.
#define IDC_ALIAS_NAME 1013
#define IDC_BROWSE_COMMAND 1015
#define IDC_BROWSE_START_PATH 1021
#define IDC_STATE_NORMAL 1022
#define IDC_STATE_MAXIMIZED 1023
#define IDC_STATE_MINIMIZED 1024
#define IDC_ALIAS_COMMAND 1027

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

// The command window's timer: it tries again to add the tray icon when the notification
// area was not ready at start-up.
#define IDT_TRAY_RETRY 2
#define HOTKEY_ID 1
