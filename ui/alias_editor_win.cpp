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

enum class Editor { New, Edit };

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

BOOL OnInitDialog(HWND dialog, Editor editor) {
    if (editor == Editor::New) {
        SetDlgItemTextA(dialog, IDC_START_PATH, g_state.settings.StartPath);
        CheckDlgButton(dialog, IDC_STATE_NORMAL, BST_CHECKED);
        return TRUE;
    }
    const AliasRecord& alias = *g_state.editedAlias;
    SetDlgItemTextA(dialog, IDC_ALIAS_NAME, alias.Name);
    SetDlgItemTextA(dialog, IDC_ALIAS_COMMAND, alias.Command);
    SetDlgItemTextA(dialog, IDC_START_PATH, alias.StartPath);
    CheckDlgButton(dialog, WindowStateButton(alias.WindowState), BST_CHECKED);
    return TRUE;  // the focus goes to the first tab stop, OK
}

void OnOk(HWND dialog, Editor editor) {
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
    if (editor == Editor::New && !AddEditedAlias(g_state.aliases, input)) {
        ShowMessage(dialog,
                    "Error adding alias...  You entered in an alias name that already is used "
                    "or is the same name as one of the Zantrel system commands.",
                    MB_ICONERROR | MB_OK);
        return;
    }
    if (editor == Editor::Edit && !ChangeAlias(g_state.aliases, *g_state.editedAlias, input)) {
        ShowMessage(dialog, "Alias name is already used.", MB_ICONWARNING | MB_OK);
        return;
    }
    SaveStateOrTell(dialog);
    EndDialog(dialog, 1);
}

void OnBrowseCommand(HWND dialog) {
    char path[kTextBuffer];
    if (PickFileToOpen(dialog, "Browse", kAllFilesFilter, nullptr, path)) {
        SetDlgItemTextA(dialog, IDC_ALIAS_COMMAND, path);  // as chosen: no quotes added
    }
}

void OnBrowseStartPath(HWND dialog) {
    char path[kTextBuffer];
    if (PickFolder(dialog, "Choose a start path...", path)) {
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

BOOL OnCommand(HWND dialog, WORD id, Editor editor) {
    switch (id) {
        case IDOK:
            OnOk(dialog, editor);
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

INT_PTR AliasEditorProc(HWND dialog, UINT message, WPARAM wParam, Editor editor) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, editor);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam), editor);
        case WM_DROPFILES:
            return OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK NewAliasProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return AliasEditorProc(dialog, message, wParam, Editor::New);
}

INT_PTR CALLBACK EditAliasProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return AliasEditorProc(dialog, message, wParam, Editor::Edit);
}

}  // namespace

INT_PTR ShowNewAliasDialog(HWND owner) {
    return DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_NEW_ALIAS), owner, NewAliasProc, 0);
}

INT_PTR ShowEditAliasDialog(HWND owner) {
    return DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_EDIT_ALIAS), owner, EditAliasProc,
                           0);
}
