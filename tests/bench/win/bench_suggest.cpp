// From a key press in the real command box to its suggestion list on the screen, when the
// typed text names a folder of 10,000 entries, against a bare enumeration of the same folder
// (FindFirstFileA and FindNextFileA to its end) in this program, alternating in the same run.
// Two presses: the '\' after the folder's name (every entry matches and is ranked) and a
// letter that only the last entry holds. The list's thread lists the folder; the window's
// thread shows the result.
//
//   bench_suggest.exe [runs]      (default 15; run beside zantrel.exe)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using namespace bench;

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 15;
    const std::string folder = BigFolder("zantrel-bench-suggest", 9999);
    CloseHandle(CreateFileA((folder + "\\zulu.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ReturningUser();

    PROCESS_INFORMATION zantrel;
    HWND window = StartForTyping(&zantrel);
    if (window == nullptr) {
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);

    // Closes the list (Esc) and puts `text` into the box, the caret at its end, then times
    // the press of `key` until the list shows.
    auto press = [&](const std::string& text, char key) {
        HWND popup = SuggestionPopup(zantrel.dwProcessId);
        if (popup != nullptr && IsWindowVisible(popup)) {
            PressKey(VK_ESCAPE);
            WaitForList(zantrel.dwProcessId, false);
        }
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        PressKey(VK_END);
        Sleep(50);
        const double start = Now();
        TypeChar(key);
        return WaitForList(zantrel.dwProcessId, true) ? Now() - start : -1.0;
    };
    press(folder, '\\');  // the list and its thread exist from here on

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
    CloseZantrel(window, zantrel);
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
