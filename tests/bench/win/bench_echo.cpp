// The echo of a key typed while the suggestion list lists a folder of 10,000 entries, against
// the echo of the same key with no listing, in the real command box under Wine, alternating in
// the same run. Each time, the box holds a path and '\' is typed after it, then 'f': the time
// from 'f' to the box's text ending in it. The path of the listing is the big folder; the
// other is a path of the same length to a folder that does not exist, whose listing ends at
// once. 'f' comes 5 ms after '\', as in quick typing, and then, in fewer runs, after pauses
// that let the program start reading the folder, so that 'f' meets the read at work.
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
    // The echoes of 'f' typed `pauseMs` after the '\\' that makes the folder `path` to be
    // read, and of 'i' once it has been read (its names ranked again).
    auto echoes = [&](const std::string& path, DWORD pauseMs, double* first, double* next) {
        SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PressKey(VK_END);
        WaitForText(box, path);
        TypeChar('\\');
        WaitForText(box, path + "\\");
        Sleep(pauseMs);
        std::string typed = path + "\\";
        *first = echo(typed, 'f');
        Sleep(400);  // the folder has been read
        *next = echo(typed, 'i');
        return *first > 0 && *next > 0;
    };
    std::string missing = folder;
    missing.back() = missing.back() == 'Q' ? 'R' : 'Q';
    // Medians of the echoes while listing and without, of 'f' and of the next key.
    struct Echoes {
        double listing, quiet, listed, quiet2;
    };
    auto measure = [&](DWORD pauseMs, int count, Echoes* result) {
        std::vector<double> listing, quiet, listed, quiet2;
        double l = 0, q = 0, l2 = 0, q2 = 0;
        for (int i = 0; i < count; ++i) {
            const bool listingFirst = i % 2 == 0;
            const bool echoed =
                listingFirst
                    ? echoes(folder, pauseMs, &l, &l2) && echoes(missing, pauseMs, &q, &q2)
                    : echoes(missing, pauseMs, &q, &q2) && echoes(folder, pauseMs, &l, &l2);
            if (!echoed) {
                std::printf("no echo (pause %lu ms, run %d)\n", pauseMs, i);
                return false;
            }
            listing.push_back(l);
            quiet.push_back(q);
            listed.push_back(l2);
            quiet2.push_back(q2);
        }
        *result = Echoes{Median(listing), Median(quiet), Median(listed), Median(quiet2)};
        return true;
    };
    double l = 0, l2 = 0;
    echoes(folder, 5, &l, &l2);  // the listing thread is there from here on
    const DWORD pauses[] = {110, 120, 140, 170};
    Echoes typing = {}, paused[4] = {};
    bool measured = measure(5, runs, &typing);
    for (int i = 0; measured && i < 4; ++i) {
        measured = measure(pauses[i], runs / 2, &paused[i]);
    }
    CloseZantrel(window, zantrel);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    if (!measured) {
        return 1;
    }
    const double ratio = typing.listing / typing.quiet;
    std::printf("the echo of a key, %d runs each, alternating:\n", runs);
    std::printf("  no listing                          median %.2f ms\n", typing.quiet * 1000);
    std::printf(
        "  while a folder of 10,000 is read    median %.2f ms, ratio %.3f (aim: at most %.1f)\n",
        typing.listing * 1000, ratio, kAim);
    std::printf(
        "  the next key, its names ranked      median %.2f ms, ratio %.3f (against %.2f ms)\n",
        typing.listed * 1000, typing.listed / typing.quiet2, typing.quiet2 * 1000);
    std::printf("a key after a pause, which meets the read at work, %d runs each:\n", runs / 2);
    for (int i = 0; i < 4; ++i) {
        std::printf("  after %3lu ms                        median %.2f ms, ratio %.3f\n",
                    pauses[i], paused[i].listing * 1000, paused[i].listing / paused[i].quiet);
    }
    return ratio <= kAim ? 0 : 1;
}
