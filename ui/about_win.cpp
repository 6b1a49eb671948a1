// The About box: the program's icon, version and maker, and a button that opens the
// licence text from the install folder.
#include "ui/dialogs.h"

#include <shellapi.h>

#include "res/resource.h"
#include "state/process_win.h"

namespace {

// The shell opens "license.txt" in the install folder with the user's text viewer. The
// box stays open either way; the viewer is not waited for.
void OpenLicense(HWND dialog) {
    const HINSTANCE result = ShellExecuteA(nullptr, "open", "license.txt", nullptr,
                                           g_state.settings.InstallPath, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        ShowMessage(dialog, "Error opening license file.", MB_ICONERROR | MB_OK);
    }
}

INT_PTR OnCommand(HWND dialog, WORD id) {
    switch (id) {
        case IDCANCEL:  // OK, Esc and the close box
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_LICENSE:
            OpenLicense(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:  // the dialog manager gives OK, the first tab stop, the focus
            return TRUE;
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        default:
            return FALSE;
    }
}

}  // namespace

void ShowAboutBox(HWND owner) {
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0);
}
