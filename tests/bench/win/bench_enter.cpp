// From Enter in the real command window to the started child, against a direct
// CreateProcessA of the same line, under Wine, alternating in the same run: once for a
// typed program with arguments (the shell's attempt, then process creation) and once for
// an alias that stands for the same line. The child (recorder.exe) sets a named event
// once it runs; that is the end of each measurement. Also the shell's refusal of that line
// alone, in this process: the part of Enter that a direct CreateProcessA does not have and
// that the program may not leave out (a line goes to the shell first).
//
//   bench_enter.exe [runs]      (default 25; run beside zantrel.exe and recorder.exe)
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

void SetString(const std::string& path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }
}

void SetDword(const std::string& path, const char* name, DWORD value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
    }
}

// Time until the recorder has signalled `event` after `start` was called.
template <typename Start>
double TimeUntilStarted(HANDLE event, Start start) {
    ResetEvent(event);
    // The line is put into the box before the clock starts: Enter alone is timed.
    start(false);
    const double begin = Now();
    start(true);
    if (WaitForSingleObject(event, 10000) != WAIT_OBJECT_0) {
        return -1;
    }
    return Now() - begin;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(20, std::atoi(argv[1])) : 25;
    const std::string record = ExeDir() + "\\zantrel-bench-enter.txt";
    const std::string line = "recorder.exe " + record + " event:ZantrelBenchEnter";
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "ZantrelBenchEnter");

    // A returning user who stays after each command, with an alias for the same line.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    SetDword(kMain, "AfterCommand", 1002);
    SetString(std::string(kMain) + "\\History", "0", "");
    SetString(std::string(kMain) + "\\Alias", "A0", "benchrec");
    SetString(std::string(kMain) + "\\Alias", "C0", line);
    SetString(std::string(kMain) + "\\Alias", "P0", ExeDir());
    SetDword(std::string(kMain) + "\\Alias", "W0", 0);
    SetString(kMain, "StartPath", ExeDir());

    PROCESS_INFORMATION zantrel;
    HWND window = StartZantrel(&zantrel, [](HWND w) { return IsWindowVisible(w) != FALSE; });
    if (window == nullptr) {
        std::printf("zantrel.exe did not start\n");
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);
    Sleep(2000);  // the index of installed programs is built meanwhile

    // `go` false: the text into the box; true: Enter.
    auto enter = [&](const std::string& text, bool go) {
        if (!go) {
            SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        } else {
            PostMessageA(window, WM_COMMAND, IDOK, 0);  // what Enter in the window becomes
        }
    };
    auto direct = [&](bool go) {
        if (!go) {
            return;
        }
        std::string commandLine = line;
        STARTUPINFOA childInfo;
        ZeroMemory(&childInfo, sizeof(childInfo));
        childInfo.cb = sizeof(childInfo);
        PROCESS_INFORMATION child;
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                           nullptr, ExeDir().c_str(), &childInfo, &child)) {
            CloseHandle(child.hThread);
            CloseHandle(child.hProcess);
        }
    };

    std::vector<double> typed, alias, baseline, typedRatio, aliasRatio, refusal;
    for (int i = 0; i < runs; ++i) {
        const double b = TimeUntilStarted(event, direct);
        const double t = TimeUntilStarted(event, [&](bool go) { enter(line, go); });
        const double a = TimeUntilStarted(event, [&](bool go) { enter("benchrec", go); });
        if (b <= 0 || t <= 0 || a <= 0) {
            std::printf("a launch did not start (run %d: direct %.3f, typed %.3f, alias %.3f)\n", i,
                        b, t, a);
            break;
        }
        refusal.push_back(bench::ShellRefusalSeconds(line, ExeDir()));
        baseline.push_back(b);
        typed.push_back(t);
        alias.push_back(a);
        typedRatio.push_back(t / b);
        aliasRatio.push_back(a / b);
        Sleep(50);
    }
    PostMessageA(window, WM_COMMAND, 2002, 0);
    WaitForSingleObject(zantrel.hProcess, 10000);
    CloseHandle(zantrel.hThread);
    CloseHandle(zantrel.hProcess);
    DeleteFileA(record.c_str());
    CloseHandle(event);
    if (baseline.empty()) {
        return 1;
    }
    std::printf("from Enter to the started child, %zu runs each, alternating:\n", baseline.size());
    std::printf("  direct CreateProcessA       median %.1f ms\n", Median(baseline) * 1000);
    std::printf("  typed program with args     median %.1f ms, median ratio %.3f\n",
                Median(typed) * 1000, Median(typedRatio));
    std::printf("  alias for the same line     median %.1f ms, median ratio %.3f\n",
                Median(alias) * 1000, Median(aliasRatio));
    const double shell = Median(refusal);
    std::printf("  the shell's refusal alone   median %.1f ms: typed without it %.3f, alias %.3f\n",
                shell * 1000, (Median(typed) - shell) / Median(baseline),
                (Median(alias) - shell) / Median(baseline));
    return 0;
}
