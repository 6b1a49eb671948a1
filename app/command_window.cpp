#include "app/command_window.h"

#include <shellapi.h>

#include "res/resource.h"
#include "run/runner_win.h"
#include "state/process_win.h"
#include "state/state_win.h"
#include "ui/dialogs.h"
#include "ui/control_text_win.h"
#include "state/picks.h"
#include "ui/first_suggestion_win.h"
#include "ui/suggestion_list_win.h"

namespace {

constexpr int kFirstStartX = 300;
constexpr int kFirstStartY = 200;

// Sent to every top-level window when the taskbar is created again (Explorer restarted).
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void FillTrayRecord(NOTIFYICONDATAA& data, HWND window) {
    ZeroMemory(&data, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the first-generation record
    data.hWnd = window;
    data.uID = ID_TRAYICON;
}

bool AddTrayIcon(HWND window) {
    NOTIFYICONDATAA data;
    FillTrayRecord(data, window);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = g_app.trayIcon;
    lstrcpynA(data.szTip, "Zantrel", 64);
    return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

// The waits before each new try when the tray icon could not be added at start-up: about a
// minute in all. After them only "TaskbarCreated" adds it.
constexpr UINT kTrayRetryDelays[] = {1000, 2000, 4000, 8000, 15000, 30000};
constexpr int kTrayRetries = sizeof(kTrayRetryDelays) / sizeof(kTrayRetryDelays[0]);
int g_trayRetriesMade = kTrayRetries;  // none pending

void OnTrayRetry(HWND window) {
    KillTimer(window, IDT_TRAY_RETRY);
    if (!AddTrayIcon(window) && g_trayRetriesMade < kTrayRetries) {
        SetTimer(window, IDT_TRAY_RETRY, kTrayRetryDelays[g_trayRetriesMade++], nullptr);
    }
}

void OnTaskbarCreated(HWND window) {
    if (AddTrayIcon(window)) {
        KillTimer(window, IDT_TRAY_RETRY);
        g_trayRetriesMade = kTrayRetries;
    }
}

void ShowAndActivate(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void OpenTrayMenu(HWND window) {
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(window);
    TrackPopupMenu(g_app.popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    // Lets the menu close when the user clicks elsewhere.
    PostMessageA(window, WM_NULL, 0, 0);
}

// The modal dialogs that the window has open: the tray menu and the hot key still reach
// this window while a dialog disables it.
struct OpenDialogs {
    bool settingsOpen;
    bool aboutOpen;
};
OpenDialogs g_dialogs = {};

// Runs a modal dialog unless it is already open.
template <typename Show>
void RunOnce(bool& open, Show show) {
    if (open) {
        return;
    }
    open = true;
    show();
    open = false;
}

void RunHelp(HWND window) {
    if (!OpenHelp("Contents")) {
        ShowMessage(window, "Error opening help file.", MB_ICONERROR | MB_OK);
    }
}

// Control+Shift held with Enter (or with a click on ">"): the line runs elevated. The key
// state is the one of the key press that the dialog manager turned into IDOK.
bool ElevationAsked() {
    return GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) < 0;
}

LRESULT OnActivate(HWND window, WPARAM wParam) {
    const WORD state = LOWORD(wParam);
    if (state == WA_ACTIVE || state == WA_CLICKACTIVE) {
        SetFocus(GetDlgItem(window, IDC_COMMAND_BOX));
    } else {
        CloseSuggestionList();  // another window was activated
    }
    return 0;
}

LRESULT OnTimer(HWND window, WPARAM id) {
    if (id == IDT_TRAY_RETRY) {
        OnTrayRetry(window);
    }
    return 0;
}

// Esc in the window closes an open suggestion list first; the dialog manager turns it into
// IDCANCEL. The tray menu's "&Hide" hides the window, list or not.
void OnCancel(HWND window) {
    if (GetKeyState(VK_ESCAPE) < 0 && CloseSuggestionList()) {
        return;
    }
    ShowWindow(window, SW_HIDE);
}

void OnCommandBoxNotify(HWND window, WORD code) {
    if (code == CBN_EDITCHANGE) {
        UpdateSuggestionList(window);
    } else if (code == CBN_DROPDOWN) {
        CloseSuggestionList();  // the history list opens instead
    }
}

LRESULT OnQueryEndSession() {
    SaveState();
    return 1;
}

bool g_windowHidden = false;

LRESULT OnWindowPosChanged(HWND window, WPARAM wParam, LPARAM lParam) {
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if ((pos->flags & SWP_HIDEWINDOW) != 0) {
        g_windowHidden = true;
    }
    // Only a real move counts: with SWP_NOMOVE the record's x and y say nothing.
    if ((pos->flags & SWP_NOMOVE) == 0) {
        g_state.settings.LocX = pos->x;
        g_state.settings.LocY = pos->y;
        PlaceSuggestionList();
    }
    return DefWindowProcA(window, WM_WINDOWPOSCHANGED, wParam, lParam);
}

// Runs `line`. A line run from the suggestion list (`choice`), or one that nothing found
// and that ran its first suggestion instead, teaches the list what the user wanted for the
// text typed: that entry comes first for it next time.
void RunLine(HWND window, const char* line, const SuggestionChoice* choice) {
    const RunOutcome outcome = CommandRunner(window, line, ElevationAsked(), FirstSuggestionFor,
                                             choice != nullptr && choice->isProgram);
    if (outcome.recorded && (choice != nullptr || outcome.redirected)) {
        RememberPick(g_state.picks, choice != nullptr ? choice->typed : outcome.typed,
                     outcome.entry);
    }
}

// Enter: the entry highlighted in the suggestion list (or double-clicked) goes into the box
// and runs as if typed; without one, the typed line runs.
void OnEnter(HWND window) {
    SuggestionChoice choice;
    if (TakeSuggestionChoice(choice)) {
        SetDlgItemTextA(window, IDC_COMMAND_BOX, choice.entry);
        RunLine(window, choice.entry, &choice);
        return;
    }
    char typed[kEnteredBuffer];
    ReadControlText(window, IDC_COMMAND_BOX, typed, sizeof typed);
    RunLine(window, typed, nullptr);
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case IDOK:
            OnEnter(window);
            return 1;
        case IDCANCEL:
            OnCancel(window);
            return 1;
        case ID_OPEN:
            ShowAndActivate(window);
            return 1;
        case ID_CLOSE:
            DestroyWindow(window);
            return 1;
        case ID_ABOUT:
            RunOnce(g_dialogs.aboutOpen, [window] { ShowAboutBox(window); });
            return 1;
        case ID_SETTINGS:
            RunOnce(g_dialogs.settingsOpen, [window] { ShowSettingsDialog(window); });
            return 1;
        case ID_HELP:
            RunHelp(window);
            return 1;
        case IDC_COMMAND_BOX:
            OnCommandBoxNotify(window, HIWORD(wParam));
            return 0;
        default:
            return 0;
    }
}

LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case ID_CLOSE:
        case ID_ABOUT:
        case ID_SETTINGS:
        case ID_HELP:
            PostMessageA(window, WM_COMMAND, wParam, lParam);
            return 0;
        default:
            return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
    }
}

LRESULT OnHotKey(HWND window, WPARAM wParam) {
    if (wParam == HOTKEY_ID) {
        PostMessageA(window, WM_COMMAND, ID_OPEN, 0);
    }
    return 0;
}

LRESULT OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam) {
    if (wParam != ID_TRAYICON) {
        return 0;
    }
    switch (lParam) {
        case WM_LBUTTONDOWN:
            PostMessageA(window, WM_COMMAND, ID_OPEN, 0);
            return 1;
        case WM_RBUTTONDOWN:
            OpenTrayMenu(window);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

LRESULT CALLBACK CommandWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
        case WM_INITDIALOG:
            return 1;
        case WM_DESTROY:
            DestroySuggestionList();
            PostQuitMessage(0);
            return 0;
        case WM_SHOWWINDOW:
            if (wParam == FALSE) {
                CloseSuggestionList();  // the list goes with the window
            }
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_TIMER:
            return OnTimer(window, wParam);
        case WM_ACTIVATE:
            return OnActivate(window, wParam);
        case WM_CLOSE:
            ShowWindow(window, SW_HIDE);
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_WINDOWPOSCHANGED:
            return OnWindowPosChanged(window, wParam, lParam);
        case WM_COMMAND:
            return OnCommand(window, wParam);
        case WM_SYSCOMMAND:
            return OnSysCommand(window, wParam, lParam);
        case WM_HOTKEY:
            return OnHotKey(window, wParam);
        case WM_TRAYNOTIFY:
            return OnTrayNotify(window, wParam, lParam);
        default:
            break;
    }
    if (message == TaskbarCreatedMessage()) {
        OnTaskbarCreated(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterCommandWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CommandWindowProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;  // the class serves a dialog template
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZANTREL));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZANTREL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "Zantrel";
    return RegisterClassExA(&wc) != 0;
}

HWND CreateCommandWindow(HINSTANCE instance) {
    // The template names the window class, so CommandWindowProc gets the messages; it is
    // passed as the dialog procedure too.
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_COMMAND), nullptr,
                                     reinterpret_cast<DLGPROC>(CommandWindowProc), 0);
    // No more characters can be typed than a command holds; the runner refuses a line whose
    // characters take more than 260 bytes.
    SendDlgItemMessageA(window, IDC_COMMAND_BOX, CB_LIMITTEXT, kTextChars, 0);
    return window;
}

HICON LoadTrayIcon(HINSTANCE instance) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZANTREL), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

void ShowTrayIcon(HWND window) {
    g_trayRetriesMade = 0;
    OnTrayRetry(window);
}

void RemoveTrayIcon(HWND window) {
    NOTIFYICONDATAA data;
    FillTrayRecord(data, window);
    Shell_NotifyIconA(NIM_DELETE, &data);
}

bool TakeWindowHidden() {
    const bool hidden = g_windowHidden;
    g_windowHidden = false;
    return hidden;
}

HMENU CreatePopupMenuItems() {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return nullptr;
    }
    AppendMenuA(menu, MF_STRING, ID_OPEN, "&Open");
    AppendMenuA(menu, MF_STRING, IDCANCEL, "&Hide");
    AppendMenuA(menu, MF_STRING, ID_SETTINGS, "&Settings");
    AppendMenuA(menu, MF_STRING, ID_HELP, "H&elp");
    AppendMenuA(menu, MF_STRING, ID_ABOUT, "&About");
    AppendMenuA(menu, MF_STRING, ID_CLOSE, "&Close");
    SetMenuDefaultItem(menu, 0, TRUE);
    return menu;
}

void ExtendSystemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    ModifyMenuA(menu, SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_CLOSE, "&Hide\tEsc");
    AppendMenuA(menu, MF_STRING, ID_SETTINGS, "&Settings");
    AppendMenuA(menu, MF_STRING, ID_HELP, "H&elp");
    AppendMenuA(menu, MF_STRING, ID_ABOUT, "&About");
    AppendMenuA(menu, MF_STRING, ID_CLOSE, "&Close");
}

void PlaceWindow(HWND window, int x, int y) {
    RECT rect;
    GetWindowRect(window, &rect);
    RECT placed = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
    if (MonitorFromRect(&placed, MONITOR_DEFAULTTONULL) == nullptr) {
        x = kFirstStartX;
        y = kFirstStartY;
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
