// Start-up cost and idle memory of zantrel.exe against bare_window.exe, a program that
// only creates and shows one window, and against floor_startup.exe, which makes the same
// platform calls as the program's start-up and runs none of its code (so the ratio to it
// is what the program's own code adds), all under Wine, alternating in the same run. Each
// start is timed from process creation until its window is visible and the process is
// idle in its message loop. zantrel.exe starts as a returning user with default
// settings (no first-run question), from the registry its first run left behind.
//
//   bench_startup.exe [rounds]     (default 15; run beside zantrel.exe, bare_window.exe and
//                                  floor_startup.exe)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using bench::ExeDir;
using bench::Median;
using bench::Now;

namespace {

struct Started {
    PROCESS_INFORMATION process;
    HWND window;
    double seconds;
};

bool StartAndTime(const char* exe, const char* windowClass, Started* started) {
    std::string path = ExeDir() + "\\" + exe;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    ZeroMemory(&started->process, sizeof(started->process));
    const double start = Now();
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        ExeDir().c_str(), &si, &started->process)) {
        return false;
    }
    WaitForInputIdle(started->process.hProcess, 10000);
    started->window = nullptr;
    while (Now() - start < 10) {
        HWND window = FindWindowA(windowClass, nullptr);
        if (window != nullptr && IsWindowVisible(window)) {
            started->window = window;
            break;
        }
        Sleep(0);
    }
    started->seconds = Now() - start;
    return started->window != nullptr;
}

void End(Started* started, UINT message, WPARAM wParam) {
    PostMessageA(started->window, message, wParam, 0);
    if (WaitForSingleObject(started->process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(started->process.hProcess, 1);
    }
    CloseHandle(started->process.hThread);
    CloseHandle(started->process.hProcess);
}

SIZE_T WorkingSetAfterIdle(const Started& started) {
    Sleep(1000);
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof(counters));
    GetProcessMemoryInfo(started.process.hProcess, &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 15;
    const UINT closeCommand = WM_COMMAND;
    const WPARAM zantrelClose = 2002;

    // One start of its own first, so that the measured ones find a saved state.
    Started first;
    if (!StartAndTime("zantrel.exe", "Zantrel", &first)) {
        std::printf("zantrel.exe did not start\n");
        return 1;
    }
    // A first start asks a question; answer it with No.
    Sleep(500);
    if (HWND box = FindWindowA("#32770", "Zantrel")) {
        SendMessageA(box, WM_COMMAND, IDNO, 0);
    }
    End(&first, closeCommand, zantrelClose);

    struct Subject {
        const char* exe;
        const char* windowClass;
        UINT closeMessage;
        WPARAM closeParam;
        std::vector<double> seconds;
        SIZE_T memory;
    };
    Subject subjects[3] = {{"zantrel.exe", "Zantrel", closeCommand, zantrelClose, {}, 0},
                           {"bare_window.exe", "BareWindow", WM_CLOSE, 0, {}, 0},
                           {"floor_startup.exe", "Zantrel", closeCommand, zantrelClose, {}, 0}};
    std::vector<double> bareRatios, floorRatios;
    for (int i = 0; i < pairs; ++i) {
        // Each round starts with the next one, so that none always finds a warmer system.
        for (int k = 0; k < 3; ++k) {
            Subject& subject = subjects[(i + k) % 3];
            Started started;
            if (!StartAndTime(subject.exe, subject.windowClass, &started)) {
                std::printf("%s did not start\n", subject.exe);
                return 1;
            }
            if (i == 0) {
                subject.memory = WorkingSetAfterIdle(started);
            }
            End(&started, subject.closeMessage, subject.closeParam);
            subject.seconds.push_back(started.seconds);
        }
        bareRatios.push_back(subjects[0].seconds.back() / subjects[1].seconds.back());
        floorRatios.push_back(subjects[0].seconds.back() / subjects[2].seconds.back());
    }

    WIN32_FILE_ATTRIBUTE_DATA attributes;
    GetFileAttributesExA((ExeDir() + "\\zantrel.exe").c_str(), GetFileExInfoStandard, &attributes);
    std::printf("start-up until the window is visible and idle, %d alternating rounds:\n", pairs);
    for (const Subject& subject : subjects) {
        std::printf("  %-18s median %.1f ms\n", subject.exe, Median(subject.seconds) * 1000);
    }
    std::printf("  median ratio to bare_window.exe    %.3f (aim: at most 1.10)\n",
                Median(bareRatios));
    std::printf("  median ratio to floor_startup.exe  %.3f (aim: at most 1.05)\n",
                Median(floorRatios));
    std::printf("size of zantrel.exe: %lu bytes (%.1f KiB; aim: at most 128 KiB)\n",
                attributes.nFileSizeLow, attributes.nFileSizeLow / 1024.0);
    std::printf(
        "working set after 1 s idle: zantrel.exe %lu KiB, bare_window.exe %lu KiB, "
        "floor_startup.exe %lu KiB\n",
        static_cast<unsigned long>(subjects[0].memory / 1024),
        static_cast<unsigned long>(subjects[1].memory / 1024),
        static_cast<unsigned long>(subjects[2].memory / 1024));
    return 0;
}
