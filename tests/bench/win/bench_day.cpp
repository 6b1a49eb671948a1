// A day of use of the suggestion list, under Wine: 10,000 key presses that open, change and
// close the list (names, then a folder that is listed on the list's thread, each typed and
// taken back) and 1,000 call-ups of the window (hidden, then opened as the hot key opens it)
// must leave zantrel.exe's handle count and its GDI and USER object counts where they were
// after a warm-up. A count that the system does not report reads 0 before and after.
//
//   bench_day.exe [keys] [call-ups]      (default 10000 and 1000; beside zantrel.exe)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_util.h"

using namespace bench;

namespace {

struct Counts {
    DWORD handles;
    DWORD gdi;
    DWORD user;
};

Counts CountsOf(HANDLE process) {
    Counts counts = {0, 0, 0};
    GetProcessHandleCount(process, &counts.handles);
    counts.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    counts.user = GetGuiResources(process, GR_USEROBJECTS);
    return counts;
}

const char* const kTexts[] = {"note", "c:\\w"};

}  // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int callUps = argc > 2 ? std::atoi(argv[2]) : 1000;
    ReturningUser({"notes", "notepad", "nightly"});
    SetUserString(std::string(kMainKey) + "\\History", "0", "notepad C:\\notes\\todo.txt");
    PROCESS_INFORMATION zantrel;
    HWND window = StartZantrel(&zantrel, [](HWND w) { return GetForegroundWindow() == w; });
    if (window == nullptr) {
        std::printf("zantrel.exe did not start\n");
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);
    Sleep(2000);  // the index of installed programs is built meanwhile
    bool ok = true;  // every key echoed
    int pressed = 0;
    int calledUp = 0;
    // Types one of the texts key by key and takes it back with Backspace, each key echoed.
    auto typeAndTakeBack = [&](const char* text) {
        std::string typed;
        for (const char* c = text; *c != '\0'; ++c) {
            TypeChar(*c);
            typed += *c;
            ok = ok && WaitForText(box, typed);
        }
        while (!typed.empty()) {
            PressKey(VK_BACK);
            typed.pop_back();
            ok = ok && WaitForText(box, typed);
        }
        pressed += 2 * static_cast<int>(std::string(text).size());
    };
    auto callUp = [&] {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        while (IsWindowVisible(window)) {
            Sleep(1);
        }
        PostMessageA(window, WM_COMMAND, 2001, 0);  // ID_OPEN, what the hot key posts
        while (GetForegroundWindow() != window) {
            Sleep(1);
        }
        ++calledUp;
    };
    for (int i = 0; i < 10; ++i) {  // warm-up: the list, its thread and its icons are made
        typeAndTakeBack(kTexts[i % 2]);
        callUp();
    }
    Sleep(500);
    const Counts before = CountsOf(zantrel.hProcess);
    const double start = Now();
    pressed = calledUp = 0;
    for (int i = 0; ok && (pressed < keys || calledUp < callUps); ++i) {
        if (pressed < keys) {
            typeAndTakeBack(kTexts[i % 2]);
        }
        if (calledUp < callUps && (pressed >= keys || i % 5 != 4)) {
            callUp();
        }
    }
    Sleep(500);
    const Counts after = CountsOf(zantrel.hProcess);
    CloseZantrel(window, zantrel);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    std::printf("a day of use: %d key presses and %d call-ups in %.1f s\n", pressed, calledUp,
                Now() - start);
    std::printf("  handles       %lu before, %lu after\n", before.handles, after.handles);
    std::printf("  GDI objects   %lu before, %lu after\n", before.gdi, after.gdi);
    std::printf("  USER objects  %lu before, %lu after\n", before.user, after.user);
    if (before.gdi == 0 && before.user == 0) {
        std::printf("  (the system reports no GDI or USER objects)\n");
    }
    if (!ok) {
        std::printf("  a key was not echoed\n");
    }
    const bool kept = ok && after.handles <= before.handles && after.gdi <= before.gdi &&
                      after.user <= before.user;
    return kept ? 0 : 1;
}
