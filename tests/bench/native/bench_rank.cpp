// Ranking the suggestions: 10,000 program-like names offered for a three-letter text (scored,
// the best 100 kept, sorted) against a plain case-insensitive substring scan of the same
// names, alternating in the same run; for initials that few names hold in order ("vsc") and
// for letters that many do ("ter", "pro"). Prints the median of the runs' ratios and fails
// when one is over 3.
//
//   bench_rank [runs]      (default 31)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/suggestions.h"

namespace {

constexpr double kTarget = 3.0;

// Names as the Start menu, App Paths and the history hold them, from a fixed seed.
std::vector<std::string> Names(int count) {
    const char* const vendors[] = {"Microsoft", "Adobe",    "Mozilla", "Google",   "JetBrains",
                                   "Oracle",    "VideoLAN", "Corel",   "Autodesk", "Valve"};
    const char* const products[] = {"Visual Studio", "Acrobat Reader",  "Firefox",    "Chrome",
                                    "IntelliJ IDEA", "VirtualBox",      "VLC",        "Paint Shop",
                                    "AutoCAD",       "Steam",           "Terminal",   "Notepad++",
                                    "Character Map", "Barcode Scanner", "Calculator", "Photos"};
    const char* const suffixes[] = {"",          " Code",   " 2022",  " Installer",    " Help",
                                    " (x64)",    " Setup",  " Tools", " Community",    " Beta",
                                    " Settings", " Update", ".exe",   " Documentation"};
    std::vector<std::string> names;
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < count; ++i) {
        std::string name;
        switch (next(4)) {
            case 0:  // a shortcut's name
                name =
                    std::string(vendors[next(10)]) + " " + products[next(16)] + suffixes[next(14)];
                break;
            case 1:  // an uninstaller
                name = std::string("Uninstall ") + products[next(16)] + suffixes[next(14)];
                break;
            case 2:  // an App Paths name
                name = std::string(products[next(16)]).substr(0, 3 + next(5));
                name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
                break;
            default:  // a line from the history
                name = std::string("C:\\Users\\me\\Documents\\report ") +
                       std::to_string(next(3000)) + ".docx";
        }
        names.push_back(name + " " + std::to_string(i));
    }
    return names;
}

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The baseline: does the name hold the typed text, letter case ignored.
bool HoldsNoCase(const char* text, const char* typed) {
    for (; *text != '\0'; ++text) {
        int i = 0;
        while (typed[i] != '\0' && Fold(text[i]) == Fold(typed[i])) {
            ++i;
        }
        if (typed[i] == '\0') {
            return true;
        }
    }
    return false;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    const std::vector<std::string> names = Names(10000);
    static Suggestions list;
    bool failed = false;
    for (const char* typed : {"vsc", "ter", "pro"}) {
        std::vector<double> scan, rank, ratios;
        int held = 0;
        for (int run = 0; run < runs; ++run) {
            auto start = std::chrono::steady_clock::now();
            held = 0;
            for (const std::string& name : names) {
                held += HoldsNoCase(name.c_str(), typed) ? 1 : 0;
            }
            const double s = Seconds(std::chrono::steady_clock::now() - start);
            start = std::chrono::steady_clock::now();
            StartSuggestions(list, typed, nullptr);
            for (std::size_t i = 0; i < names.size(); ++i) {
                OfferSuggestion(list, names[i].c_str(), SuggestionKind::kProgram,
                                static_cast<int>(i));
            }
            FinishSuggestions(list);
            const double r = Seconds(std::chrono::steady_clock::now() - start);
            scan.push_back(s);
            rank.push_back(r);
            ratios.push_back(r / s);
        }
        int matched = 0;
        for (const std::string& name : names) {
            matched += MatchScore(typed, name.c_str()) > 0 ? 1 : 0;
        }
        const double ratio = Median(ratios);
        std::printf(
            "'%s': substring scan %.3f ms (%d hold it), ranking %.3f ms (%d match, %d kept), "
            "median ratio %.2f\n",
            typed, Median(scan) * 1000, held, Median(rank) * 1000, matched, list.count, ratio);
        failed = failed || ratio > kTarget;
    }
    std::printf("(aim: at most %.1f)\n", kTarget);
    return failed ? 1 : 0;
}
