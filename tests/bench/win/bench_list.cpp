// From a key press in the real command box to its suggestion list on the screen, with 5,000
// aliases that the typed letter matches against the same with 10, under Wine. The program
// runs with each set in turn, alternating, and each run times the same presses: a letter
// into the empty box (the list opens) and Backspace (the text is empty, the list closes).
//
//   bench_list.exe [presses]      (default 20 per run, two runs of each; beside zantrel.exe)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using namespace bench;

namespace {

constexpr double kAim = 1.5;

std::vector<std::string> Aliases(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[16];
        wsprintfA(name, "a%05d", i);
        names.push_back(name);
    }
    return names;
}

// The times of `presses` presses from the letter to the list shown; empty when it failed.
std::vector<double> TimePresses(int aliases, int presses) {
    ReturningUser(Aliases(aliases));
    PROCESS_INFORMATION zantrel;
    HWND window = StartZantrel(&zantrel, [](HWND w) { return GetForegroundWindow() == w; });
    if (window == nullptr) {
        return {};
    }
    HWND box = GetDlgItem(window, 1000);
    Sleep(2000);  // the index of installed programs is built meanwhile
    std::vector<double> times;
    for (int i = -3; i < presses; ++i) {  // three presses to warm up
        const double start = Now();
        TypeChar('a');
        if (!WaitForList(zantrel.dwProcessId, true)) {
            break;
        }
        const double time = Now() - start;
        PressKey(VK_BACK);
        if (!WaitForList(zantrel.dwProcessId, false) || BoxText(box) != "") {
            break;
        }
        if (i >= 0) {
            times.push_back(time);
        }
        Sleep(20);
    }
    CloseZantrel(window, zantrel);
    return static_cast<int>(times.size()) == presses ? times : std::vector<double>{};
}

}  // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::atoi(argv[1]) : 20;
    std::vector<double> many, few;
    for (int round = 0; round < 2; ++round) {
        const std::vector<double> m = TimePresses(5000, presses);
        const std::vector<double> f = TimePresses(10, presses);
        if (m.empty() || f.empty()) {
            std::printf("no suggestion list (round %d)\n", round);
            RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
            return 1;
        }
        many.insert(many.end(), m.begin(), m.end());
        few.insert(few.end(), f.begin(), f.end());
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    const double ratio = Median(many) / Median(few);
    std::printf("from a key press to the suggestion list, %zu presses each:\n", many.size());
    std::printf("  10 matching aliases      median %.2f ms\n", Median(few) * 1000);
    std::printf("  5,000 matching aliases   median %.2f ms, ratio %.3f (aim: at most %.1f)\n",
                Median(many) * 1000, ratio, kAim);
    return ratio <= kAim ? 0 : 1;
}
