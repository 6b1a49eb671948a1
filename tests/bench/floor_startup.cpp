// The floor of the start-up benchmark: the platform calls that the program's start-up must
// make, in the same order and with the same resources (common controls and OLE, the window
// class, the window from template 101, the tray icon, both menus, the Windows directory,
// the registry reads of the load, the hot key, showing, placing, the history list, the
// message loop), and none of the program's own code. What zantrel.exe takes beyond this is
// what its own code adds.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <initializer_list>

#include "res/resource.h"

namespace {

const char kMain[] = "Software\\Corvath Software\\Zantrel";

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
        case WM_INITDIALOG:
            return 1;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == ID_CLOSE) {
                DestroyWindow(window);
            }
            return 1;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

// Reads a value into a buffer as the load does; true when there was one that fit.
bool Read(HKEY key, const char* name, void* data, DWORD size) {
    DWORD type = 0;
    return RegQueryValueExA(key, name, nullptr, &type, static_cast<BYTE*>(data), &size) ==
           ERROR_SUCCESS;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (FindWindowA("Zantrel", nullptr) != nullptr) {
        return 0;
    }
    InitCommonControls();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FloorProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZANTREL));
    wc.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZANTREL), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "Zantrel";
    RegisterClassExA(&wc);
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_COMMAND), nullptr,
                                     reinterpret_cast<DLGPROC>(FloorProc), 0);

    NOTIFYICONDATAA tray;
    ZeroMemory(&tray, sizeof(tray));
    tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
    tray.hWnd = window;
    tray.uID = ID_TRAYICON;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = WM_TRAYNOTIFY;
    tray.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZANTREL), IMAGE_ICON,
                                               16, 16, LR_DEFAULTCOLOR | LR_SHARED));
    lstrcpynA(tray.szTip, "Zantrel", 64);
    Shell_NotifyIconA(NIM_ADD, &tray);

    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, ID_OPEN, "&Open");
    AppendMenuA(popup, MF_STRING, IDCANCEL, "&Hide");
    AppendMenuA(popup, MF_STRING, ID_SETTINGS, "&Settings");
    AppendMenuA(popup, MF_STRING, ID_HELP, "H&elp");
    AppendMenuA(popup, MF_STRING, ID_ABOUT, "&About");
    AppendMenuA(popup, MF_STRING, ID_CLOSE, "&Close");
    SetMenuDefaultItem(popup, 0, TRUE);
    HMENU system = GetSystemMenu(window, FALSE);
    ModifyMenuA(system, SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_CLOSE, "&Hide\tEsc");
    AppendMenuA(system, MF_STRING, ID_SETTINGS, "&Settings");
    AppendMenuA(system, MF_STRING, ID_HELP, "H&elp");
    AppendMenuA(system, MF_STRING, ID_ABOUT, "&About");
    AppendMenuA(system, MF_STRING, ID_CLOSE, "&Close");

    // The reads of the load, in its order.
    char text[MAX_PATH + 1];
    GetWindowsDirectoryA(text, sizeof(text));
    GetModuleFileNameA(nullptr, text, sizeof(text));
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMain, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        Read(key, "Path", text, 261);
        RegCloseKey(key);
    }
    BYTE hide = 0;
    WORD hotKey = 0;
    LONG x = 300, y = 200;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kMain, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        BYTE byte;
        DWORD dword;
        Read(key, "Startup", &byte, 1);
        Read(key, "Hide", &hide, 1);
        Read(key, "AfterCommand", &dword, 4);
        Read(key, "LocX", &x, 4);
        Read(key, "LocY", &y, 4);
        Read(key, "HotKey", &hotKey, 2);
        Read(key, "StartPath", text, 261);
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Corvath Software\\Zantrel\\Alias", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        for (int n = 0;; ++n) {
            char name[16];
            wsprintfA(name, "A%d", n);
            if (!Read(key, name, text, 17)) {
                break;
            }
            for (const char* prefix : {"C%d", "P%d", "W%d"}) {
                wsprintfA(name, prefix, n);
                Read(key, name, text, 261);
            }
        }
        RegCloseKey(key);
    }
    static char history[20][261];
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Corvath Software\\Zantrel\\History", 0,
                      KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        for (int n = 0; n < 20; ++n) {
            char name[16];
            wsprintfA(name, "%d", n);
            if (!Read(key, name, history[n], 261)) {
                break;
            }
        }
        RegCloseKey(key);
    }
    if (hotKey != 0) {
        const BYTE flags = HIBYTE(hotKey);
        const UINT modifiers = ((flags & HOTKEYF_SHIFT) ? MOD_SHIFT : 0) |
                               ((flags & HOTKEYF_CONTROL) ? MOD_CONTROL : 0) |
                               ((flags & HOTKEYF_ALT) ? MOD_ALT : 0);
        RegisterHotKey(window, HOTKEY_ID, modifiers, LOBYTE(hotKey));
    }

    ShowWindow(window, hide != 0 ? SW_HIDE : SW_SHOW);
    RECT rect;
    GetWindowRect(window, &rect);
    RECT placed = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
    MonitorFromRect(&placed, MONITOR_DEFAULTTONULL);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND box = GetDlgItem(window, IDC_COMMAND_BOX);
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (const char* entry : history) {
        if (entry[0] != '\0') {
            SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        }
    }

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1),
                                 static_cast<SIZE_T>(-1));
    }
    DestroyMenu(popup);
    Shell_NotifyIconA(NIM_DELETE, &tray);
    CoUninitialize();
    return 0;
}
