// The New Alias and Edit Alias dialogs: one layout, one input check, two ways of changing
// the alias list. Both help with the command (file browse, files dropped from the shell)
// and the start path (folder browse).
#include "ui/dialogs.h"

#include <shellapi.h>

#include "res/resource.h"
#include "state/process_win.h"
#include "ui/alias_editor.h"
#include "ui/control_text_win.h"
#include "ui/pickers_win.h"

namespace {

// The alias that Edit Alias changes; null for New Alias. Handed to the dialog when it opens
// and kept with its window.
AliasRecord* EditedAlias(HWND dialog) {
    return reinterpret_cast<AliasRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

int WindowStateButton(std::uint32_t windowState) {
    switch (windowState) {
        case kStateNormal:
            return IDC_STATE_NORMAL;
        case kStateMaximized:
            return IDC_STATE_MAXIMIZED;
        default:
            return IDC_STATE_MINIMIZED;
    }
}

std::uint32_t CheckedWindowState(HWND dialog) {
    if (IsDlgButtonChecked(dialog, IDC_STATE_NORMAL) == BST_CHECKED) {
        return kStateNormal;
    }
    if (IsDlgButtonChecked(dialog, IDC_STATE_MAXIMIZED) == BST_CHECKED) {
        return kStateMaximized;
    }
    return kStateMinimized;
}

BOOL OnInitDialog(HWND dialog, AliasRecord* edited) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(edited));
    if (edited == nullptr) {
        SetDlgItemTextA(dialog, IDC_START_PATH, g_state.settings.StartPath);
        CheckDlgButton(dialog, IDC_STATE_NORMAL, BST_CHECKED);
        return TRUE;
    }
    SetDlgItemTextA(dialog, IDC_ALIAS_NAME, edited->Name);
    SetDlgItemTextA(dialog, IDC_ALIAS_COMMAND, edited->Command);
    SetDlgItemTextA(dialog, IDC_START_PATH, edited->StartPath);
    CheckDlgButton(dialog, WindowStateButton(edited->WindowState), BST_CHECKED);
    return TRUE;  // the focus goes to the first tab stop, OK
}

void OnOk(HWND dialog) {
    // Longer text is cut to what the fields hold.
    char name[kNameBuffer];
    char command[kTextBuffer];
    char startPath[kTextBuffer];
    ReadControlText(dialog, IDC_ALIAS_NAME, name, sizeof(name));
    ReadControlText(dialog, IDC_ALIAS_COMMAND, command, sizeof(command));
    ReadControlText(dialog, IDC_START_PATH, startPath, sizeof(startPath));
    const AliasInput input = {name, command, startPath, CheckedWindowState(dialog)};
    if (!AliasInputComplete(input)) {
        ShowMessage(dialog, "You must enter an alias name, command and start path.",
                    MB_ICONWARNING | MB_OK);
        return;
    }
    AliasRecord* edited = EditedAlias(dialog);
    if (edited == nullptr && !AddEditedAlias(g_state.aliases, input)) {
        ShowMessage(dialog,
                    "Error adding alias...  You entered in an alias name that already is used "
                    "or is the same name as one of the Zantrel system commands.",
                    MB_ICONERROR | MB_OK);
        return;
    }
    if (edited != nullptr && !ChangeAlias(g_state.aliases, *edited, input)) {
        ShowMessage(dialog, "Alias name is already used.", MB_ICONWARNING | MB_OK);
        return;
    }
    SaveStateOrTell(dialog);
    EndDialog(dialog, 1);
}

void OnBrowseCommand(HWND dialog) {
    char path[kTextBuffer];
    if (Picked(dialog, PickFileToOpen(dialog, "Browse", kAllFilesFilter, nullptr, path))) {
        SetDlgItemTextA(dialog, IDC_ALIAS_COMMAND, path);  // as chosen: no quotes added
    }
}

void OnBrowseStartPath(HWND dialog) {
    char path[kTextBuffer];
    if (Picked(dialog, PickFolder(dialog, "Choose a start path...", path))) {
        SetDlgItemTextA(dialog, IDC_START_PATH, path);
    }
}

// The first dropped file or folder becomes the command, cut between characters to what the
// field keeps; the others are ignored.
BOOL OnDropFiles(HWND dialog, HDROP drop) {
    char whole[kMaxCharBytes * kTextBuffer] = {};
    if (DragQueryFileA(drop, 0, whole, sizeof(whole)) != 0) {
        char path[kTextBuffer];
        CopyText(path, whole, sizeof(path));
        SetDlgItemTextA(dialog, IDC_ALIAS_COMMAND, path);
    }
    DragFinish(drop);
    return FALSE;
}

BOOL OnCommand(HWND dialog, WORD id) {
    switch (id) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_BROWSE_COMMAND:
            OnBrowseCommand(dialog);
            return TRUE;
        case IDC_BROWSE_START_PATH:
            OnBrowseStartPath(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

// One procedure for both editors: the template tells them apart to the user, the alias
// handed over (or none) to the code.
INT_PTR CALLBACK AliasEditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, reinterpret_cast<AliasRecord*>(lParam));
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        case WM_DROPFILES:
            return OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR ShowNewAliasDialog(HWND owner) {
    return DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_NEW_ALIAS), owner, AliasEditorProc,
                           0);
}

INT_PTR ShowEditAliasDialog(HWND owner, AliasRecord& alias) {
    return DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_EDIT_ALIAS), owner, AliasEditorProc,
                           reinterpret_cast<LPARAM>(&alias));
}
