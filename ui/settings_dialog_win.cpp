// The Settings dialog: the five configuration fields, changed only by OK, and the alias and
// history buttons, which act at once.
#include "ui/dialogs.h"

#include <commctrl.h>

#include "res/resource.h"
#include "state/exchange_file.h"
#include "state/process_win.h"
#include "state/state_win.h"
#include "ui/control_text_win.h"
#include "ui/pickers_win.h"

namespace {

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Warn(HWND dialog, const char* text) {
    ShowMessage(dialog, text, MB_ICONWARNING | MB_OK);
}

void Fail(HWND dialog, const char* text) {
    ShowMessage(dialog, text, MB_ICONERROR | MB_OK);
}

bool AskYesNo(HWND dialog, const char* text) {
    return ShowMessage(dialog, text, MB_ICONWARNING | MB_YESNO) == IDYES;
}

// The list is refilled unselected.
void FillList(HWND dialog) {
    FillAliasListBox(GetDlgItem(dialog, IDC_ALIAS_LIST));
}

int AfterCommandButton(std::int32_t afterCommand) {
    switch (afterCommand) {
        case kAfterHide:
            return IDC_AFTER_HIDE;
        case kAfterClose:
            return IDC_AFTER_CLOSE;
        default:
            return IDC_AFTER_STAY;
    }
}

std::int32_t CheckedAfterCommand(HWND dialog) {
    if (IsChecked(dialog, IDC_AFTER_HIDE)) {
        return kAfterHide;
    }
    if (IsChecked(dialog, IDC_AFTER_CLOSE)) {
        return kAfterClose;
    }
    return kAfterStay;  // the identifier of the "Stay" button
}

// The name of the selected alias into `name` (kStoredNameBuffer bytes); false, having told
// the user, when nothing is selected.
bool SelectedAliasName(HWND dialog, char* name) {
    HWND list = GetDlgItem(dialog, IDC_ALIAS_LIST);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        Warn(dialog, "No alias is selected.");
        return false;
    }
    // The entries are stored names, so they fit; anything else is not an alias. The length
    // told may be more than the text takes (it allows for the conversion from UTF-16), so
    // the text is read into room for that length and measured afterwards.
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    char text[kMaxCharBytes * kStoredNameBuffer] = "";
    if (length == LB_ERR || length >= static_cast<LRESULT>(sizeof(text)) ||
        SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text)) == LB_ERR ||
        lstrlenA(text) >= kStoredNameBuffer) {
        return false;
    }
    CopyText(name, text, kStoredNameBuffer);
    return true;
}

BOOL OnInitDialog(HWND dialog) {
    const Settings& settings = g_state.settings;
    CheckDlgButton(dialog, AfterCommandButton(settings.AfterCommand), BST_CHECKED);
    if (settings.Startup != 0) {
        CheckDlgButton(dialog, IDC_START_ON_BOOT, BST_CHECKED);
    }
    CheckDlgButton(dialog, settings.Hide != 0 ? IDC_START_HIDDEN : IDC_START_OPEN, BST_CHECKED);
    SetDlgItemTextA(dialog, IDC_START_PATH, settings.StartPath);
    FillList(dialog);
    // A key pressed without Ctrl or Alt (alone, or with Shift only) becomes an Alt
    // combination: registered as it stands, it would take that key from every program. The
    // rules bind only what is pressed; a stored value shows (and registers) as stored.
    SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
                        MAKELPARAM(HOTKEYF_ALT, 0));
    SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_SETHOTKEY, settings.HotKey, 0);
    return TRUE;  // the focus goes to the first tab stop, OK
}

// A changed hot key replaces the registered one; a refused one stays stored all the same.
void ApplyHotKey(HWND dialog, WORD oldHotKey, WORD newHotKey) {
    if (newHotKey == oldHotKey) {
        return;
    }
    if (oldHotKey != 0) {
        UnregisterHotKey(g_app.window, HOTKEY_ID);
    }
    if (newHotKey != 0 && !RegisterProgramHotKey(newHotKey)) {
        Fail(dialog, "Error registering HotKey.");
    }
}

void OnOk(HWND dialog) {
    char startPath[kTextBuffer];
    ReadControlText(dialog, IDC_START_PATH, startPath, sizeof(startPath));
    if (startPath[0] == '\0') {
        Warn(dialog, "Default start path can't be blank.");
        return;
    }
    Settings& settings = g_state.settings;
    CopyText(settings.StartPath, startPath, sizeof(settings.StartPath));
    settings.AfterCommand = CheckedAfterCommand(dialog);
    settings.Startup = IsChecked(dialog, IDC_START_ON_BOOT) ? 1 : 0;
    settings.Hide = IsChecked(dialog, IDC_START_HIDDEN) ? 1 : 0;
    const WORD oldHotKey = settings.HotKey;
    settings.HotKey = LOWORD(SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0));
    ApplyHotKey(dialog, oldHotKey, settings.HotKey);
    SaveStateOrTell(dialog);
    EndDialog(dialog, 1);
}

void OnNew(HWND dialog) {
    if (ShowNewAliasDialog(dialog) != 0) {
        FillList(dialog);
    }
}

void OnEdit(HWND dialog) {
    char name[kStoredNameBuffer];
    if (!SelectedAliasName(dialog, name)) {
        return;
    }
    AliasRecord* alias = FindAlias(g_state.aliases, name);
    if (alias != nullptr && ShowEditAliasDialog(dialog, *alias) != 0) {
        FillList(dialog);
    }
}

void OnDelete(HWND dialog) {
    char name[kStoredNameBuffer];
    if (!SelectedAliasName(dialog, name)) {
        return;
    }
    char question[64 + kStoredNameBuffer];
    wsprintfA(question, "Are you sure you want to delete the alias \"%s\" ?", name);
    if (!AskYesNo(dialog, question)) {
        return;
    }
    RemoveAlias(g_state.aliases, name);
    FillList(dialog);
    SaveStateOrTell(dialog);
}

void OnClearHistory(HWND dialog) {
    // Anything but No clears.
    if (ShowMessage(dialog, "Are you sure you want to clear the entered commands history?",
                    MB_ICONWARNING | MB_YESNO) != IDNO) {
        ClearHistory();
    }
}

void OnImport(HWND dialog) {
    char path[kTextBuffer];
    if (!Picked(dialog, PickFileToOpen(dialog, "Import Aliases", kAliasFileFilter, "dat", path))) {
        return;
    }
    if (ImportAliases(g_state.aliases, path)) {
        FillList(dialog);
    } else {
        Fail(dialog, "Error importing aliases.");
    }
}

void OnExport(HWND dialog) {
    char path[kTextBuffer];
    if (Picked(dialog, PickFileToSave(dialog, "Export Aliases", kAliasFileFilter, "dat", path)) &&
        !ExportAliases(g_state.aliases, path)) {
        Fail(dialog, "Error exporting aliases.");
    }
}

void OnHelp(HWND dialog) {
    if (!OpenHelp("Settings")) {
        Fail(dialog, "Error opening help file.");
    }
}

// The nine buttons; every other identifier, notifications included, is left alone.
BOOL OnCommand(HWND dialog, WORD id) {
    switch (id) {
        case IDOK:
            OnOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDC_NEW_ALIAS:
            OnNew(dialog);
            return TRUE;
        case IDC_EDIT_ALIAS:
            OnEdit(dialog);
            return TRUE;
        case IDC_DELETE_ALIAS:
            OnDelete(dialog);
            return TRUE;
        case IDC_CLEAR_HISTORY:
            OnClearHistory(dialog);
            return TRUE;
        case IDC_IMPORT:
            OnImport(dialog);
            return TRUE;
        case IDC_EXPORT:
            OnExport(dialog);
            return TRUE;
        case IDC_SETTINGS_HELP:
            OnHelp(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR ShowSettingsDialog(HWND owner) {
    return DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_SETTINGS), owner, SettingsProc, 0);
}

void SaveStateOrTell(HWND owner) {
    if (!SaveState()) {
        ShowMessage(owner, "Error saving settings.", MB_ICONERROR | MB_OK);
    }
}
