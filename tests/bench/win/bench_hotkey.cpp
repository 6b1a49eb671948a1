// From a real press of the hot key (SendInput of Control+Alt+F9) until the window is ready
// for typing: visible, in the foreground, with the keyboard focus in its command box. For
// zantrel.exe started hidden with that hot key saved, against bare_hotkey.exe, which only
// shows and activates its own window with an edit box on the same hot key. One hot key can
// have one owner, so each press goes to a freshly started program, alternating between the
// two, and the program is ended after it. Before each press the benchmark's own window is put
// in front, as the window the user works in.
//
//   bench_hotkey.exe [presses]    (default 21 each; run beside zantrel.exe and bare_hotkey.exe)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using bench::ExeDir;
using bench::Median;
using bench::Now;

namespace {

const char kMain[] = "Software\\Corvath Software\\Zantrel";

void SetBinary(const char* path, const char* name, const std::vector<BYTE>& data) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
}

struct FindRequest {
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM param) {
    FindRequest* request = reinterpret_cast<FindRequest*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    if (pid == request->pid && lstrcmpA(name, request->className) == 0) {
        request->found = window;
        return FALSE;
    }
    return TRUE;
}

void PressHotKey() {
    INPUT inputs[6];
    ZeroMemory(inputs, sizeof(inputs));
    const WORD keys[3] = {VK_CONTROL, VK_MENU, VK_F9};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, inputs, sizeof(INPUT));
}

// When each part of being ready for typing was first seen, in seconds after the press.
struct Steps {
    double visible = -1, foreground = -1, focus = -1;
};

// Ready for typing: shown, in front, and the focus in the box (or in the combo box's edit).
bool Ready(HWND window, HWND box, double at, Steps* steps) {
    if (steps->visible < 0 && IsWindowVisible(window)) {
        steps->visible = at;
    }
    if (steps->foreground < 0 && GetForegroundWindow() == window) {
        steps->foreground = at;
    }
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (steps->focus < 0 && GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) &&
        info.hwndFocus != nullptr && (info.hwndFocus == box || IsChild(box, info.hwndFocus))) {
        steps->focus = at;
    }
    return steps->visible >= 0 && steps->foreground >= 0 && steps->focus >= 0 &&
           IsWindowVisible(window) && GetForegroundWindow() == window;
}

// The window the user works in when pressing the hot key: this program's own.
HWND front = nullptr;

HWND MakeFrontWindow() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HotKeyBenchFront";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "HotKeyBenchFront", "work", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  600, 500, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    return window;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

// Starts `exe`, waits until its hidden window is there and idle, puts this program's window
// in front, presses the hot key and returns the seconds until the started window is ready;
// -1 when it never became ready.
double TimeOnePress(const char* exe, const char* windowClass, Steps* steps) {
    const std::string path = ExeDir() + "\\" + exe;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        ExeDir().c_str(), &si, &process)) {
        return -1;
    }
    WaitForInputIdle(process.hProcess, 10000);
    FindRequest request = {process.dwProcessId, windowClass, nullptr};
    for (int i = 0; i < 500 && request.found == nullptr; ++i) {
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&request));
        Sleep(10);
    }
    Sleep(300);  // start-up done and the system quiet again
    SetForegroundWindow(front);
    for (int i = 0; i < 100 && GetForegroundWindow() != front; ++i) {
        Pump();
        Sleep(10);
    }
    Pump();
    double seconds = -1;
    if (request.found != nullptr && !IsWindowVisible(request.found) &&
        GetForegroundWindow() == front) {
        HWND box = GetDlgItem(request.found, 1000);
        const double start = Now();
        PressHotKey();
        *steps = Steps();
        while (Now() - start < 5) {
            if (Ready(request.found, box, Now() - start, steps)) {
                seconds = Now() - start;
                break;
            }
            Sleep(1);
        }
    }
    // Ended at once: a window hidden or destroyed under Wine without a window manager waits
    // seconds, and only the freed hot key matters here.
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(100);
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::max(20, std::atoi(argv[1])) : 21;

    // A returning user who starts hidden with Control+Alt+F9 and not with Windows.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    SetBinary(kMain, "Startup", {0});
    SetBinary(kMain, "Hide", {1});
    SetBinary(kMain, "HotKey", {VK_F9, 0x06});  // the hot-key control's Control | Alt
    SetBinary((std::string(kMain) + "\\Alias").c_str(), "Note", {0});
    SetBinary((std::string(kMain) + "\\History").c_str(), "Note", {0});

    front = MakeFrontWindow();
    std::vector<double> zantrel, bare, ratios;
    std::vector<double> zantrelSteps[3], bareSteps[3];
    for (int i = 0; i < presses; ++i) {
        double z = 0, b = 0;
        Steps zs, bs;
        // Alternate which one goes first, so that neither always finds a warmer system.
        if (i % 2 == 0) {
            z = TimeOnePress("zantrel.exe", "Zantrel", &zs);
            b = TimeOnePress("bare_hotkey.exe", "BareHotKey", &bs);
        } else {
            b = TimeOnePress("bare_hotkey.exe", "BareHotKey", &bs);
            z = TimeOnePress("zantrel.exe", "Zantrel", &zs);
        }
        if (z < 0 || b < 0) {
            std::printf("press %d: a window did not become ready (zantrel %.3f s, bare %.3f s)\n",
                        i, z, b);
            return 1;
        }
        for (const Steps* st : {&zs, &bs}) {
            std::vector<double>* into = st == &zs ? zantrelSteps : bareSteps;
            into[0].push_back(st->visible);
            into[1].push_back(st->foreground);
            into[2].push_back(st->focus);
        }
        zantrel.push_back(z);
        bare.push_back(b);
        ratios.push_back(z / b);
    }
    std::printf("hot key to a window ready for typing, %d presses each, alternating:\n", presses);
    std::printf("  zantrel.exe      median %.1f ms\n", Median(zantrel) * 1000);
    std::printf("  bare_hotkey.exe  median %.1f ms\n", Median(bare) * 1000);
    std::printf("  median ratio     %.3f (aim: at most 1.05)\n", Median(ratios));
    std::printf(
        "  medians of the parts (visible, foreground, focus): zantrel.exe %.1f, %.1f, "
        "%.1f ms; bare_hotkey.exe %.1f, %.1f, %.1f ms\n",
        Median(zantrelSteps[0]) * 1000, Median(zantrelSteps[1]) * 1000,
        Median(zantrelSteps[2]) * 1000, Median(bareSteps[0]) * 1000, Median(bareSteps[1]) * 1000,
        Median(bareSteps[2]) * 1000);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    return 0;
}
