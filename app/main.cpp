// Entry point: one instance per desktop, start-up, the message loop and shutdown.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/command_window.h"
#include "programs/programs_win.h"
#include "res/resource.h"
#include "state/process_win.h"
#include "state/state_win.h"
#include "ui/dialogs.h"
#include "ui/suggestion_list_win.h"
#include "ui/system_library_win.h"

namespace {

void ShowStartupError(HWND owner, const char* text) {
    ShowMessage(owner, text, MB_ICONERROR | MB_OK);
}

// After the window and its tray icon exist: menus, state, placement, history, and the
// first-run question.
void FinishStartup(HWND window) {
    g_app.popup = CreatePopupMenuItems();
    if (g_app.popup == nullptr) {
        ShowStartupError(window, "Error creating popup menu.");
        DestroyWindow(window);  // the loop below then ends at once
    }
    ExtendSystemMenu(window);

    ResetAndLoadState();
    // Showing may report the template's position; the loaded one is what counts.
    const int x = g_state.settings.LocX;
    const int y = g_state.settings.LocY;
    ShowWindow(window, g_state.settings.Hide != 0 ? SW_HIDE : SW_SHOW);
    PlaceWindow(window, x, y);
    FillHistoryList();

    if (g_state.firstRun &&
        ShowMessage(window,
                    "It appears this is the first time you start Zantrel, would you like to "
                    "configure it?",
                    MB_ICONQUESTION | MB_YESNO) == IDYES) {
        PostMessageA(window, WM_COMMAND, ID_SETTINGS, 0);
    }
}

// Hands every page of the process back to the system; they come back as they are used.
void TrimWorkingSet() {
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

// A second without messages after some: the program is idle again.
constexpr DWORD kQuietMs = 1000;

// The loop is the wide one: typed characters stay UTF-16 until the controls, which keep
// them as they are (an ANSI loop would pass them through a code page of the keyboard on the
// way, under Wine at least). The program still reads and writes all texts with the ...A
// functions, in its own code page.
//
// Idle most of the time, the program holds almost no memory: the working set is trimmed
// when the window has been hidden, and once after a quiet second following any message.
// Typing does not fault the code back in at every key, and an idle program is never woken:
// the wait for the quiet second is the wait for the next message.
//
// The index of installed programs is started the first time the queue is empty: after the
// window is on the screen and painted, never on the way to it.
//
// The suggestion list sees each message first: the keys that move through it and its clicks
// are its own, before the dialog manager makes Tab a move of the focus.
int RunMessageLoop(HWND window) {
    MSG msg;
    bool busy = false;  // messages came since the last trim
    bool indexStarted = false;
    for (;;) {
        if (!indexStarted && HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) {
            StartProgramIndex();
            indexStarted = true;
        }
        if (busy && MsgWaitForMultipleObjectsEx(0, nullptr, kQuietMs, QS_ALLINPUT,
                                                MWMO_INPUTAVAILABLE) == WAIT_TIMEOUT) {
            TrimWorkingSet();
            busy = false;
        }
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            break;
        }
        if (SuggestionListMessage(msg)) {
            // the list's own
        } else if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        busy = true;
        if (TakeWindowHidden()) {
            TrimWorkingSet();
            busy = false;
        }
    }
    return static_cast<int>(msg.wParam);
}

void Shutdown(HWND window) {
    SaveState();
    ReleaseAliasList(g_state.aliases);
    if (g_app.popup != nullptr) {
        DestroyMenu(g_app.popup);
        g_app.popup = nullptr;
    }
    RemoveTrayIcon(window);
    DestroyIcon(g_app.trayIcon);
    g_app.trayIcon = nullptr;
    if (g_state.settings.HotKey != 0) {
        UnregisterHotKey(window, HOTKEY_ID);
    }
    CloseHelp();
    StopProgramIndex();
    CoUninitialize();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    HWND running = FindWindowA("Zantrel", nullptr);
    if (running != nullptr) {
        // This start holds the right to the foreground: hand it to the running instance,
        // which brings its window to the front for ID_OPEN.
        DWORD runningPid = 0;
        GetWindowThreadProcessId(running, &runningPid);
        AllowSetForegroundWindow(runningPid);
        PostMessageA(running, WM_COMMAND, ID_OPEN, 0);
        return 0;
    }

    InitCommonControls();
    // The shell (ShellExecuteEx, the pickers, the icons of the suggestion list) wants COM
    // on this thread; nothing of OLE's own (drag and drop, the clipboard) is used.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    if (!RegisterCommandWindowClass(instance)) {
        ShowStartupError(nullptr, "Error registering class.");
        return 0;
    }
    HWND window = CreateCommandWindow(instance);
    if (window == nullptr) {
        ShowStartupError(nullptr, "Error creating window.");
        return 0;
    }
    g_app.instance = instance;
    g_app.window = window;

    g_app.trayIcon = LoadTrayIcon(instance);
    ShowTrayIcon(window);
    FinishStartup(window);

    const int exitCode = RunMessageLoop(window);
    Shutdown(window);
    return exitCode;
}
