// The echo of a key typed while the suggestion list lists a folder of 10,000 entries, against
// the echo of the same key with no listing, in the real command box under Wine, alternating in
// the same run. Each time, the box holds a path and '\' is typed after it, then, once the
// listing is under way, 'f': the time from 'f' to the box's text ending in it. The path of the listing is the big
// folder; the other is a path of the same length to a folder that does not exist, whose
// listing ends at once.
//
//   bench_echo.exe [runs]      (default 30; beside zantrel.exe)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using namespace bench;

namespace {

constexpr double kAim = 1.1;

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 30;
    const std::string folder = BigFolder("zantrel-bench-suggest", 10000);
    ReturningUser();
    PROCESS_INFORMATION zantrel;
    HWND window = StartZantrel(&zantrel, [](HWND w) { return GetForegroundWindow() == w; });
    if (window == nullptr) {
        std::printf("zantrel.exe did not start\n");
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);
    Sleep(2000);  // the index of installed programs is built meanwhile

    // The echo of 'f' typed right after '\' at the end of `path`; negative when none came.
    auto echo = [&](const std::string& path) {
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PressKey(VK_END);
        WaitForText(box, path);
        TypeChar('\\');
        WaitForText(box, path + "\\");
        Sleep(5);  // the listing is under way
        const double start = Now();
        TypeChar('f');
        const std::string typed = path + "\\f";
        while (Now() - start < 10) {
            if (BoxText(box) == typed) {
                return Now() - start;
            }
            Sleep(1);  // leaves the processor to the program
        }
        return -1.0;
    };
    std::string missing = folder;
    missing.back() = missing.back() == 'Q' ? 'R' : 'Q';
    echo(folder);  // the listing thread is there from here on
    std::vector<double> listing, quiet;
    for (int i = 0; i < runs; ++i) {
        double l = 0;
        double q = 0;
        if (i % 2 == 0) {
            l = echo(folder);
            q = echo(missing);
        } else {
            q = echo(missing);
            l = echo(folder);
        }
        if (l < 0 || q < 0) {
            std::printf("no echo (run %d)\n", i);
            break;
        }
        listing.push_back(l);
        quiet.push_back(q);
        Sleep(100);
    }
    CloseZantrel(window, zantrel);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    if (static_cast<int>(listing.size()) < runs) {
        return 1;
    }
    const double ratio = Median(listing) / Median(quiet);
    std::printf("the echo of a key, %d runs each, alternating:\n", runs);
    std::printf("  no listing                          median %.2f ms\n", Median(quiet) * 1000);
    std::printf(
        "  while a folder of 10,000 is listed  median %.2f ms, ratio %.3f (aim: at most %.1f)\n",
        Median(listing) * 1000, ratio, kAim);
    return ratio <= kAim ? 0 : 1;
}
