// Small helpers of the Wine benchmarks.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// The folder of the benchmark program; the programs it starts lie beside it.
inline std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\'));
}

// Starts zantrel.exe from the benchmark's folder and waits until its command window is
// `ready` (at most ten seconds). Null when it did not start; the caller closes the handles.
inline HWND StartZantrel(PROCESS_INFORMATION* zantrel, const std::function<bool(HWND)>& ready) {
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    const std::string exe = ExeDir() + "\\zantrel.exe";
    if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, ExeDir().c_str(),
                        &si, zantrel)) {
        return nullptr;
    }
    WaitForInputIdle(zantrel->hProcess, 10000);
    HWND window = nullptr;
    for (int i = 0; i < 1000 && (window == nullptr || !ready(window)); ++i) {
        Sleep(10);
        window = FindWindowA("Zantrel", nullptr);
    }
    return window;
}

// Starts zantrel.exe ready for typing (its window in the foreground) and gives the index of
// installed programs its time to be built; says so and returns null when it did not start.
inline HWND StartForTyping(PROCESS_INFORMATION* zantrel) {
    HWND window = StartZantrel(zantrel, [](HWND w) { return GetForegroundWindow() == w; });
    if (window == nullptr) {
        std::printf("zantrel.exe did not start\n");
        return nullptr;
    }
    Sleep(2000);
    return window;
}

// Seconds on the performance counter.
inline double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The seconds the shell takes to refuse `line` as the file to open in `dir`, asked as the
// launcher asks it; negative when it opened it after all.
inline double ShellRefusalSeconds(const std::string& line, const std::string& dir) {
    SHELLEXECUTEINFOA shell;
    ZeroMemory(&shell, sizeof shell);
    shell.cbSize = sizeof shell;
    shell.fMask = SEE_MASK_FLAG_NO_UI;
    shell.lpVerb = "open";
    shell.lpFile = line.c_str();
    shell.lpDirectory = dir.c_str();
    shell.nShow = SW_SHOWNORMAL;
    const double begin = Now();
    return ShellExecuteExA(&shell) ? -1 : Now() - begin;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs each of `bodies` once per round, `rounds` times, starting each round with the next
// one in turn, so that the machine's load falls on all of them alike. Returns the seconds of
// every run, by body.
inline std::vector<std::vector<double>> Alternate(
    int rounds, const std::vector<std::function<void()>>& bodies) {
    std::vector<std::vector<double>> times(bodies.size());
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < bodies.size(); ++k) {
            const size_t which = (r + k) % bodies.size();
            const double start = Now();
            bodies[which]();
            times[which].push_back(Now() - start);
        }
    }
    return times;
}

// ---- The program's state and its command window, as the suggestion benchmarks use them

constexpr char kMainKey[] = "Software\\Corvath Software\\Zantrel";

inline void SetUserValue(const std::string& path, const char* name, DWORD type, const void* data,
                         DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
}
inline void SetUserDword(const std::string& path, const char* name, DWORD value) {
    SetUserValue(path, name, REG_DWORD, &value, sizeof value);
}
inline void SetUserString(const std::string& path, const char* name, const std::string& value) {
    SetUserValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

// A returning user whose window stays after each command and shows at start, with `aliases`
// (each a name for a command that is never run).
inline void ReturningUser(const std::vector<std::string>& aliases = {}) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    SetUserDword(kMainKey, "AfterCommand", 1002);
    SetUserDword(std::string(kMainKey) + "\\History", "Note", 0);
    const std::string aliasKey = std::string(kMainKey) + "\\Alias";
    SetUserDword(aliasKey, "Note", 0);
    for (size_t i = 0; i < aliases.size(); ++i) {
        char name[16];
        wsprintfA(name, "A%d", static_cast<int>(i));
        SetUserString(aliasKey, name, aliases[i]);
        name[0] = 'C';
        SetUserString(aliasKey, name, "notepad.exe");
        name[0] = 'P';
        SetUserString(aliasKey, name, "C:\\");
        name[0] = 'W';
        SetUserDword(aliasKey, name, 0);
    }
}

// Presses a key (`unicode`: types the character `code`) through the system's input queue.
inline void PressKey(WORD code, bool unicode = false) {
    INPUT inputs[2];
    ZeroMemory(inputs, sizeof(inputs));
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        if (unicode) {
            input.ki.wScan = code;
            input.ki.dwFlags = KEYEVENTF_UNICODE;
        } else {
            input.ki.wVk = code;
        }
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}
inline void TypeChar(char c) {
    PressKey(static_cast<unsigned char>(c), true);
}

// The text of the command box (read by the window's thread, so it waits for it).
inline std::string BoxText(HWND box) {
    char text[1024] = "";
    SendMessageA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Waits (at most ten seconds) until the command box holds `text`.
inline bool WaitForText(HWND box, const std::string& text) {
    const double start = Now();
    while (BoxText(box) != text) {
        if (Now() - start > 10) {
            return false;
        }
    }
    return true;
}

// The suggestion list's popup of process `pid`, shown or not; null before it is first made.
inline HWND SuggestionPopup(DWORD pid) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "ZantrelSuggestions", nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, "ZantrelSuggestions", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) {
            return w;
        }
    }
    return nullptr;
}

// Waits (at most ten seconds) until the list of process `pid` is `shown` or not; false when it
// did not come to that.
inline bool WaitForList(DWORD pid, bool shown) {
    const double start = Now();
    while (Now() - start < 10) {
        HWND popup = SuggestionPopup(pid);
        if ((popup != nullptr && IsWindowVisible(popup)) == shown) {
            return true;
        }
    }
    return false;
}

// A folder of `count` empty files "file00000.txt" ... under the temporary folder, made once.
inline std::string BigFolder(const char* name, int count) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        char file[32];
        wsprintfA(file, "\\file%05d.txt", i);
        HANDLE handle = CreateFileA((folder + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    return folder;
}

// Ends the program as the tray menu's "&Close" does and closes its handles.
inline void CloseZantrel(HWND window, PROCESS_INFORMATION& zantrel) {
    PostMessageA(window, WM_COMMAND, 2002, 0);
    WaitForSingleObject(zantrel.hProcess, 10000);
    CloseHandle(zantrel.hThread);
    CloseHandle(zantrel.hProcess);
}

// The median over the rounds of one body's time divided by another's in the same round.
inline double MedianRatio(const std::vector<double>& times, const std::vector<double>& base) {
    std::vector<double> ratios;
    for (size_t i = 0; i < times.size() && i < base.size(); ++i) {
        ratios.push_back(times[i] / base[i]);
    }
    return Median(ratios);
}

}  // namespace bench
