// The echo of a key typed while the suggestion list lists a folder of 10,000 entries, against
// the echo of the same key with no listing, in the real command box under Wine, alternating in
// the same run. Each time, the box holds a path and '\' is typed after it, then, once the
// listing is under way, 'f': the time from 'f' to the box's text ending in it. The path of the
// listing is the big folder; the other is a path of the same length to a folder that does not
// exist, whose listing ends at once.
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
    HWND window = StartForTyping(&zantrel);
    if (window == nullptr) {
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);

    // The time until `typed` ends in `key` after it was pressed; negative when it never did.
    auto echo = [&](std::string& typed, char key) {
        const double start = Now();
        TypeChar(key);
        typed += key;
        while (Now() - start < 10) {
            if (BoxText(box) == typed) {
                return Now() - start;
            }
            Sleep(1);  // leaves the processor to the program
        }
        return -1.0;
    };
    // The echoes of 'f' typed while the folder `path` is read after its '\\', and of 'i' once
    // it has been read (its names ranked again).
    auto echoes = [&](const std::string& path, double* first, double* next) {
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PressKey(VK_END);
        WaitForText(box, path);
        TypeChar('\\');
        WaitForText(box, path + "\\");
        Sleep(5);  // the listing is under way
        std::string typed = path + "\\";
        *first = echo(typed, 'f');
        Sleep(300);  // the folder has been read
        *next = echo(typed, 'i');
        return *first > 0 && *next > 0;
    };
    std::string missing = folder;
    missing.back() = missing.back() == 'Q' ? 'R' : 'Q';
    double l = 0, q = 0, l2 = 0, q2 = 0;
    echoes(folder, &l, &l2);  // the listing thread is there from here on
    std::vector<double> listing, quiet, listed, quiet2;
    for (int i = 0; i < runs; ++i) {
        const bool echoed = i % 2 == 0 ? echoes(folder, &l, &l2) && echoes(missing, &q, &q2)
                                       : echoes(missing, &q, &q2) && echoes(folder, &l, &l2);
        if (!echoed) {
            std::printf("no echo (run %d)\n", i);
            break;
        }
        listing.push_back(l);
        quiet.push_back(q);
        listed.push_back(l2);
        quiet2.push_back(q2);
    }
    CloseZantrel(window, zantrel);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    if (static_cast<int>(listing.size()) < runs) {
        return 1;
    }
    const double ratio = Median(listing) / Median(quiet);
    const double nextRatio = Median(listed) / Median(quiet2);
    std::printf("the echo of a key, %d runs each, alternating:\n", runs);
    std::printf("  no listing                          median %.2f ms\n", Median(quiet) * 1000);
    std::printf(
        "  while a folder of 10,000 is read    median %.2f ms, ratio %.3f (aim: at most %.1f)\n",
        Median(listing) * 1000, ratio, kAim);
    std::printf(
        "  the next key, its names ranked      median %.2f ms, ratio %.3f (against %.2f ms)\n",
        Median(listed) * 1000, nextRatio, Median(quiet2) * 1000);
    return ratio <= kAim ? 0 : 1;
}
