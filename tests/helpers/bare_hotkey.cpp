// The baseline of the hot-key benchmark: a hidden window with one edit box that registers
// Control+Alt+F9 and, when it is pressed, shows and activates itself; whenever it is
// activated it puts the focus in the box. Nothing else.
#include <windows.h>

namespace {

HWND edit = nullptr;

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HOTKEY:
            ShowWindow(window, SW_SHOW);
            SetForegroundWindow(window);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(edit);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "BareHotKey";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(WS_EX_TOOLWINDOW, "BareHotKey", "Bare hot key", WS_POPUPWINDOW | WS_CAPTION,
                        300, 200, 300, 60, nullptr, nullptr, instance, nullptr);
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 5, 5, 280, 22, window,
                           reinterpret_cast<HMENU>(1000), instance, nullptr);
    if (!RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, VK_F9)) {
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnregisterHotKey(window, 1);
    return 0;
}
