// Load and save of the whole state through the real (Wine) registry with 10, 1,000 and
// 10,000 aliases, each beside a baseline of the bare advapi32 calls that the same state
// needs in a scratch key, the load also as it was before the name index (every add walking
// the list), all alternating in the same rounds; and FindAlias on the last of 10,000 aliases
// beside plain scans of an array of names. Prints medians in milliseconds and the median
// ratios of the rounds.
//   wine bench_state_win.exe
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "state/registry_win.h"
#include "bench_util.h"
#include "state/settings_store.h"

namespace {

const char kScratchKey[] = "Software\\ZantrelStateBench";
const char kScratchAlias[] = "Software\\ZantrelStateBench\\Alias";
const char kScratchHistory[] = "Software\\ZantrelStateBench\\History";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void RemoveKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAliasKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kHistoryKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPicksKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kMainKeyPath);
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, kRunValueName);
        RegCloseKey(run);
    }
}

void FillState(AppState& state, int aliases) {
    ResetState(state, "C:\\WINDOWS");
    CopyText(state.settings.InstallPath, "C:\\Program Files\\Zantrel", kTextBuffer);
    AliasRecord* last = &state.aliases.Sentinel;
    for (int i = 0; i < aliases; ++i) {
        // Built by hand: the names are known to differ, and AddAlias would make the set-up
        // itself quadratic.
        AliasRecord* r = static_cast<AliasRecord*>(std::calloc(1, sizeof(AliasRecord)));
        wsprintfA(r->Name, "alias%d", i);
        wsprintfA(r->Command, "C:\\tools\\program%d.exe /x", i);
        CopyText(r->StartPath, "C:\\tools", sizeof(r->StartPath));
        r->Prev = last;
        last->Next = r;
        last = r;
    }
    for (int i = 0; i < kHistorySlots; ++i) {
        wsprintfA(state.history.Slots[i], "command %d", i);
    }
}

// The bare writes of a save of `aliases` aliases, in a scratch key.
void BaselineSave(int aliases) {
    const char text[] = "C:\\tools\\program1234.exe /x";
    const BYTE dword[4] = {0, 0, 0, 0};
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    for (const char* name :
         {"Startup", "Hide", "AfterCommand", "LocX", "LocY", "HotKey", "StartPath"}) {
        RegSetValueExA(key, name, 0, REG_DWORD, dword, 4);
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchAlias);
    RegCreateKeyExA(HKEY_CURRENT_USER, kScratchAlias, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    for (int i = 0; i < aliases; ++i) {
        for (char prefix : {'A', 'C', 'P', 'W'}) {
            char name[16];
            wsprintfA(name, "%c%d", prefix, i);
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
        }
    }
    RegCloseKey(key);
    RegCreateKeyExA(HKEY_CURRENT_USER, kScratchHistory, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    for (int i = 0; i < kHistorySlots; ++i) {
        char name[16];
        wsprintfA(name, "%d", i);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 11);
    }
    RegCloseKey(key);
    RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegSetValueExA(key, "ZantrelStateBench", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   sizeof(text));
    RegDeleteValueA(key, "ZantrelStateBench");
    RegCloseKey(key);
}

// The bare reads of a load of `aliases` aliases, from the scratch key.
void BaselineLoad(int aliases) {
    BYTE buffer[kTextBuffer];
    HKEY key;
    DWORD type, size;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMainKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_ALL_ACCESS, &key);
    for (const char* name :
         {"Startup", "Hide", "AfterCommand", "LocX", "LocY", "HotKey", "StartPath"}) {
        size = sizeof(buffer);
        RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
    }
    RegCloseKey(key);
    RegOpenKeyExA(HKEY_CURRENT_USER, kScratchAlias, 0, KEY_ALL_ACCESS, &key);
    for (int i = 0; i <= aliases; ++i) {
        for (char prefix : {'A', 'C', 'P', 'W'}) {
            char name[16];
            wsprintfA(name, "%c%d", prefix, i);
            size = sizeof(buffer);
            RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
        }
    }
    RegCloseKey(key);
    RegOpenKeyExA(HKEY_CURRENT_USER, kScratchHistory, 0, KEY_ALL_ACCESS, &key);
    for (int i = 0; i < kHistorySlots; ++i) {
        char name[16];
        wsprintfA(name, "%d", i);
        size = sizeof(buffer);
        RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
    }
    RegCloseKey(key);
}

// Milliseconds per run of `body`, the median of `runs` runs.
template <typename Body>
double Median(int runs, Body body) {
    double times[15];
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        body();
        times[i] = Now() - start;
    }
    for (int i = 1; i < runs; ++i) {
        for (int j = i; j > 0 && times[j] < times[j - 1]; --j) {
            const double t = times[j];
            times[j] = times[j - 1];
            times[j - 1] = t;
        }
    }
    return times[runs / 2];
}

}  // namespace

int main() {
    RemoveKeys();
    WinRegistry registry;
    std::printf("%-34s %10s %12s %8s\n", "operation", "median ms", "baseline ms", "ratio");
    for (int aliases : {10, 1000, 10000}) {
        const int rounds = aliases >= 10000 ? 3 : aliases >= 1000 ? 7 : 15;
        AppState state;
        FillState(state, aliases);
        SaveState(registry, state);
        BaselineSave(aliases);
        AppState loaded, walked;
        const auto times = bench::Alternate(
            rounds, {[&] { SaveState(registry, state); }, [&] { BaselineSave(aliases); },
                     [&] { ResetAndLoad(registry, loaded, "C:\\WINDOWS", "C:\\Z"); },
                     [&] {
                         AliasAdder::useIndex = false;
                         ResetAndLoad(registry, walked, "C:\\WINDOWS", "C:\\Z");
                         AliasAdder::useIndex = true;
                     },
                     [&] { BaselineLoad(aliases); }});
        for (const AppState* s : {&loaded, &walked}) {
            int count = 0;
            for (const AliasRecord* r = FirstAlias(s->aliases); r != nullptr; r = r->Next) {
                ++count;
            }
            if (count != aliases || s->firstRun) {
                std::printf("load gave %d aliases of %d, first run %d\n", count, aliases,
                            s->firstRun ? 1 : 0);
                RemoveKeys();
                return 1;
            }
        }
        const char* labels[] = {"SaveState", "", "ResetAndLoad", "ResetAndLoad, walking the list"};
        for (int k : {0, 2, 3}) {
            const int base = k == 0 ? 1 : 4;
            char label[80];
            wsprintfA(label, "%s, %d aliases", labels[k], aliases);
            std::printf("%-34s %10.3f %12.3f %8.2f\n", label, bench::Median(times[k]) * 1000,
                        bench::Median(times[base]) * 1000,
                        bench::MedianRatio(times[k], times[base]));
        }
        std::fflush(stdout);
    }

    AppState state;
    FillState(state, 10000);
    static char names[10000][kNameBuffer];
    for (int i = 0; i < 10000; ++i) {
        wsprintfA(names[i], "alias%d", i);
    }
    const int repeat = 100;
    // Read through volatile pointers, so that the compiler cannot fold the scans away.
    const char* volatile upper = "ALIAS9999";
    const char* volatile lower = "alias9999";
    volatile const void* sink = nullptr;
    const double find = Median(5, [&] {
        for (int n = 0; n < repeat; ++n) {
            sink = FindAlias(state.aliases, upper);
        }
    });
    const double scanExact = Median(5, [&] {
        for (int n = 0; n < repeat; ++n) {
            for (const char* name : names) {
                if (std::strcmp(name, lower) == 0) {
                    sink = name;
                    break;
                }
            }
        }
    });
    const double scanNoCase = Median(5, [&] {
        for (int n = 0; n < repeat; ++n) {
            for (const char* name : names) {
                if (lstrcmpiA(name, upper) == 0) {
                    sink = name;
                    break;
                }
            }
        }
    });
    (void)sink;
    std::printf("%-28s %12.4f %12.4f %8.2f  (baseline: strcmp over an array)\n",
                "FindAlias, last of 10000", find / repeat, scanExact / repeat, find / scanExact);
    std::printf("%-28s %12.4f %12.4f %8.2f  (baseline: lstrcmpiA over an array)\n",
                "FindAlias, last of 10000", find / repeat, scanNoCase / repeat, find / scanNoCase);
    RemoveKeys();
    return 0;
}
