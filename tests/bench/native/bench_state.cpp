// Load and save of the whole state over the in-memory registry with 10, 1,000 and 10,000
// aliases, each beside a baseline of the bare registry calls that the same state needs
// (so the ratio is what the store adds), the load also as it was before the name index
// (every add walking the list), and FindAlias on the last of 10,000 aliases beside a plain
// scan of 10,000 names in an array. scripts/bench.sh runs it with repetitions in random
// interleaving, so that the load of the machine falls on every benchmark alike.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "state/settings_store.h"
#include "unit/memory_registry.h"
// The in-memory registry is part of the unit tests; this program links only the core.
#include "unit/memory_registry.cpp"

namespace {

void FillState(AppState& state, int aliases) {
    ResetState(state, "C:\\WINDOWS");
    CopyText(state.settings.InstallPath, "C:\\Program Files\\Zantrel", kTextBuffer);
    for (int i = 0; i < aliases; ++i) {
        char name[kNameBuffer], command[64];
        std::snprintf(name, sizeof(name), "alias%d", i);
        std::snprintf(command, sizeof(command), "C:\\tools\\program%d.exe /x", i);
        // Built by hand: the list is known to be free of duplicates, and AddAlias would
        // make the set-up itself quadratic.
        AliasRecord* r = static_cast<AliasRecord*>(std::calloc(1, sizeof(AliasRecord)));
        CopyText(r->Name, name, sizeof(r->Name));
        CopyText(r->Command, command, sizeof(r->Command));
        CopyText(r->StartPath, "C:\\tools", sizeof(r->StartPath));
        AliasRecord* last = &state.aliases.Sentinel;
        static AliasRecord* tail = nullptr;
        if (i > 0) {
            last = tail;
        }
        r->Prev = last;
        last->Next = r;
        tail = r;
    }
    for (int i = 0; i < kHistorySlots; ++i) {
        std::snprintf(state.history.Slots[i], kTextBuffer, "command %d", i);
    }
}

void BM_Save(benchmark::State& bench) {
    AppState state;
    FillState(state, static_cast<int>(bench.range(0)));
    MemoryRegistry reg;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(SaveState(reg, state));
        reg.ResetCounters();
    }
}

// The same registry calls as a save, without the store: 7 settings values, 4 per alias,
// 20 history values, the keys and the Run value.
void BM_SaveBaseline(benchmark::State& bench) {
    const int aliases = static_cast<int>(bench.range(0));
    MemoryRegistry reg;
    const char text[] = "C:\\tools\\program1234.exe /x";
    const unsigned char dword[4] = {0, 0, 0, 0};
    std::vector<std::string> names;
    for (int i = 0; i < aliases; ++i) {
        for (char prefix : {'A', 'C', 'P', 'W'}) {
            names.push_back(prefix + std::to_string(i));
        }
    }
    for (auto _ : bench) {
        RegKey key = nullptr;
        reg.CreateKey(RegRoot::CurrentUser, kMainKeyPath, &key);
        for (const char* name :
             {"Startup", "Hide", "AfterCommand", "LocX", "LocY", "HotKey", "StartPath"}) {
            reg.WriteValue(key, name, RegType::Dword, dword, 4);
        }
        reg.CloseKey(key);
        reg.DeleteKey(RegRoot::CurrentUser, kAliasKeyPath);
        reg.CreateKey(RegRoot::CurrentUser, kAliasKeyPath, &key);
        for (const std::string& name : names) {
            reg.WriteValue(key, name.c_str(), RegType::String, text, sizeof(text));
        }
        reg.CloseKey(key);
        reg.CreateKey(RegRoot::CurrentUser, kHistoryKeyPath, &key);
        for (int i = 0; i < kHistorySlots; ++i) {
            reg.WriteValue(key, std::to_string(i).c_str(), RegType::String, text, 11);
        }
        reg.CloseKey(key);
        reg.CreateKey(RegRoot::CurrentUser, kRunKeyPath, &key);
        reg.WriteValue(key, kRunValueName, RegType::String, text, sizeof(text));
        reg.CloseKey(key);
        reg.ResetCounters();
    }
}

void BM_Load(benchmark::State& bench) {
    AppState saved;
    FillState(saved, static_cast<int>(bench.range(0)));
    MemoryRegistry reg;
    SaveState(reg, saved);
    AppState state;
    for (auto _ : bench) {
        ResetAndLoad(reg, state, "C:\\WINDOWS", "C:\\Z");
    }
}

// The load as it was before the name index: every add walks the whole list.
void BM_LoadWalkingTheList(benchmark::State& bench) {
    AliasAdder::useIndex = false;
    BM_Load(bench);
    AliasAdder::useIndex = true;
}

// The same reads as a load, without the store (and without building the list).
void BM_LoadBaseline(benchmark::State& bench) {
    const int aliases = static_cast<int>(bench.range(0));
    AppState saved;
    FillState(saved, aliases);
    MemoryRegistry reg;
    SaveState(reg, saved);
    std::vector<std::string> names;
    for (int i = 0; i <= aliases; ++i) {
        for (char prefix : {'A', 'C', 'P', 'W'}) {
            names.push_back(prefix + std::to_string(i));
            if (i == aliases) {
                break;  // the missing A%d that ends the load
            }
        }
    }
    char buffer[kTextBuffer];
    for (auto _ : bench) {
        RegKey key = nullptr;
        reg.OpenKey(RegRoot::LocalMachine, kMainKeyPath, RegAccess::Read, &key);
        reg.OpenKey(RegRoot::CurrentUser, kMainKeyPath, RegAccess::All, &key);
        for (const char* name :
             {"Startup", "Hide", "AfterCommand", "LocX", "LocY", "HotKey", "StartPath"}) {
            std::uint32_t size = sizeof(buffer);
            reg.ReadValue(key, name, buffer, &size);
        }
        reg.CloseKey(key);
        reg.OpenKey(RegRoot::CurrentUser, kAliasKeyPath, RegAccess::All, &key);
        for (const std::string& name : names) {
            std::uint32_t size = sizeof(buffer);
            reg.ReadValue(key, name.c_str(), buffer, &size);
        }
        reg.CloseKey(key);
        reg.OpenKey(RegRoot::CurrentUser, kHistoryKeyPath, RegAccess::All, &key);
        for (int i = 0; i < kHistorySlots; ++i) {
            std::uint32_t size = sizeof(buffer);
            reg.ReadValue(key, std::to_string(i).c_str(), buffer, &size);
        }
        reg.CloseKey(key);
        benchmark::DoNotOptimize(buffer);
    }
}

void BM_FindLastAlias(benchmark::State& bench) {
    AppState state;
    FillState(state, 10000);
    for (auto _ : bench) {
        benchmark::DoNotOptimize(FindAlias(state.aliases, "ALIAS9999"));
    }
}

// The same search over 10,000 names in one array, compared exactly.
void BM_FindLastBaseline(benchmark::State& bench) {
    std::vector<std::array<char, kNameBuffer>> names(10000);
    for (int i = 0; i < 10000; ++i) {
        std::snprintf(names[i].data(), kNameBuffer, "alias%d", i);
    }
    for (auto _ : bench) {
        const char* found = nullptr;
        for (const auto& name : names) {
            if (std::strcmp(name.data(), "alias9999") == 0) {
                found = name.data();
                break;
            }
        }
        benchmark::DoNotOptimize(found);
    }
}

BENCHMARK(BM_Save)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveBaseline)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadWalkingTheList)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadBaseline)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindLastAlias)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindLastBaseline)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
