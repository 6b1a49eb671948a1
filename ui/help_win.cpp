#include "ui/dialogs.h"

#include "state/process_win.h"

bool OpenHelp(HWND owner, const char* keyword) {
    // InstallPath (at most 260 characters) and "\zantrel.hlp".
    char path[kTextBuffer + 12];
    lstrcpynA(path, g_state.settings.InstallPath, kTextBuffer);
    lstrcatA(path, "\\zantrel.hlp");
    return WinHelpA(owner, path, HELP_KEY, reinterpret_cast<ULONG_PTR>(keyword)) != FALSE;
}
