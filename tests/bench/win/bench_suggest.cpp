// From a key press in the real command box to its suggestion list on the screen, when the
// typed text names a folder of 10,000 entries, against a bare enumeration of the same folder
// (FindFirstFileA and FindNextFileA to its end) in this program, alternating in the same run.
// Two presses: the '\' after the folder's name (its first entries are listed) and a letter
// that only the last entry begins with (the whole folder is looked through).
//
//   bench_suggest.exe [runs]      (default 15; run beside zantrel.exe)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using bench::ExeDir;
using bench::Median;
using bench::Now;
using bench::StartZantrel;

namespace {

const char kMain[] = "Software\\Corvath Software\\Zantrel";

void SetDword(const std::string& path, const char* name, DWORD value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
}

void TypeChar(char c) {
    INPUT inputs[2];
    ZeroMemory(inputs, sizeof(inputs));
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = static_cast<unsigned char>(c);
        input.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

int EnumerateAll(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    int count = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ++count;
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return count;
}

struct ListRequest {
    DWORD pid;
    HWND window;
    HWND found;
};

BOOL CALLBACK FindList(HWND w, LPARAM param) {
    ListRequest* request = reinterpret_cast<ListRequest*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == request->pid && w != request->window && IsWindowVisible(w)) {
        request->found = w;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 15;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "zantrel-bench-suggest";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < 9999; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "\\file%05d.txt", i);
        HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    CloseHandle(CreateFileA((folder + "\\zulu.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));

    // A returning user with the window shown at start.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    SetDword(kMain, "AfterCommand", 1002);
    SetDword(std::string(kMain) + "\\Alias", "Note", 0);
    SetDword(std::string(kMain) + "\\History", "Note", 0);

    PROCESS_INFORMATION zantrel;
    HWND window = StartZantrel(&zantrel, [](HWND w) { return GetForegroundWindow() == w; });
    if (window == nullptr) {
        std::printf("zantrel.exe did not start\n");
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);
    Sleep(300);

    HWND list = nullptr;
    // Puts `text` into the box (which closes the list), the caret at its end, then times the
    // press of `key` until the list shows.
    auto press = [&](const std::string& text, char key) {
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        while (list != nullptr && IsWindowVisible(list)) {
            Sleep(1);
        }
        INPUT end[2];
        ZeroMemory(end, sizeof(end));
        end[0].type = end[1].type = INPUT_KEYBOARD;
        end[0].ki.wVk = end[1].ki.wVk = VK_END;
        end[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, end, sizeof(INPUT));
        Sleep(50);
        const double start = Now();
        TypeChar(key);
        while (Now() - start < 10) {
            if (list == nullptr) {
                ListRequest request = {zantrel.dwProcessId, window, nullptr};
                EnumWindows(FindList, reinterpret_cast<LPARAM>(&request));
                list = request.found;
            }
            if (list != nullptr && IsWindowVisible(list)) {
                return Now() - start;
            }
        }
        return -1.0;
    };
    press(folder, '\\');  // the list window exists from here on

    std::vector<double> bare, first, last, firstRatio, lastRatio;
    int entries = 0;
    for (int i = 0; i < runs; ++i) {
        double b = Now();
        entries = EnumerateAll(folder);
        b = Now() - b;
        const double f = press(folder, '\\');
        const double l = press(folder + "\\", 'z');
        if (f < 0 || l < 0) {
            std::printf("no suggestion list (run %d: '\\' %.3f, 'z' %.3f)\n", i, f, l);
            break;
        }
        bare.push_back(b);
        first.push_back(f);
        last.push_back(l);
        firstRatio.push_back(f / b);
        lastRatio.push_back(l / b);
    }
    PostMessageA(window, WM_COMMAND, 2002, 0);
    WaitForSingleObject(zantrel.hProcess, 10000);
    CloseHandle(zantrel.hThread);
    CloseHandle(zantrel.hProcess);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    if (bare.empty()) {
        return 1;
    }
    std::printf("from a key press to the suggestion list, a folder of %d entries, %zu runs:\n",
                entries, bare.size());
    std::printf("  bare enumeration of the folder   median %.1f ms\n", Median(bare) * 1000);
    std::printf("  '\\' after the folder's name      median %.1f ms, median ratio %.3f\n",
                Median(first) * 1000, Median(firstRatio));
    std::printf("  'z', only the last entry          median %.1f ms, median ratio %.3f\n",
                Median(last) * 1000, Median(lastRatio));
    std::printf("  (aim: at most 1.5)\n");
    return 0;
}
