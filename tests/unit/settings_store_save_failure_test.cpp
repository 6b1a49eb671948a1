// A save that fails part of the way, over an older saved state: at every mutating call k
// of the save, either that call alone fails or it and every later one fail (the program
// ends in the middle of the save). The table test checks every k and prints only what
// fails; the disabled test prints what the next start loads for each k:
//   zantrel_unit_tests --gtest_also_run_disabled_tests --gtest_filter='*SaveFailureTable*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "state/settings_store.h"
#include "unit/memory_registry.h"

namespace {

using Mode = MemoryRegistry::FailMode;

struct Outcome {
    bool saved;
    std::string operation;  // the k-th mutating call
    bool firstRun;
    bool runValue;
    std::string aliases;  // per loaded alias: N new, O old, D first-run default, x neither
    std::vector<std::string> names;  // of the loaded aliases
    std::string history;             // slots 0 to 6: N, O, - empty, x other
    std::string settings;            // Startup Hide AfterCommand LocX LocY HotKey StartPath: N or O
    std::string aliasVerdict, historyVerdict, settingsVerdict;
};

void SetSettings(Settings& s, bool newer) {
    s.Startup = newer ? 0 : 1;
    s.Hide = newer ? 0 : 1;
    s.AfterCommand = newer ? 1002 : 1;
    s.LocX = newer ? 10 : -10;
    s.LocY = newer ? 20 : -20;
    s.HotKey = newer ? 0x0374 : 0x0641;
    CopyText(s.StartPath, newer ? "N:\\new" : "O:\\old", sizeof(s.StartPath));
    CopyText(s.InstallPath, "C:\\Z", sizeof(s.InstallPath));
}

// The older state: aliases keep-a, gone-b, keep-c, gone-d and 5 history entries. The newer
// one, as the program makes it from the older: gone-b and gone-d removed, keep-a and keep-c
// edited, new-e added; 7 history entries. So keep-c moves from index 2 to 1, new-e takes
// index 2 and index 3 is left over.
void BuildState(AppState& state, bool newer) {
    ResetState(state, "C:\\WINDOWS");
    SetSettings(state.settings, newer);
    const std::vector<std::string> names =
        newer ? std::vector<std::string>{"keep-a", "keep-c", "new-e"}
              : std::vector<std::string>{"keep-a", "gone-b", "keep-c", "gone-d"};
    const std::string tag = newer ? "new" : "old";
    for (const std::string& n : names) {
        AddAlias(state.aliases, n.c_str(), (tag + "-" + n + ".exe").c_str(),
                 (tag + "-" + n + "-dir").c_str(), newer ? 1u : 2u);
    }
    const int entries = newer ? 7 : 5;
    for (int i = entries - 1; i >= 0; --i) {
        AddToHistory(state.history, (tag + " " + std::to_string(i)).c_str());
    }
}

const char* const kKeptAliases[] = {"keep-a", "keep-c"};

bool SameAlias(const AliasRecord* a, const AliasRecord* b) {
    return TextEqual(a->Name, b->Name) && TextEqual(a->Command, b->Command) &&
           TextEqual(a->StartPath, b->StartPath) && a->WindowState == b->WindowState;
}

const AliasRecord* Named(const AppState& state, const char* name) {
    for (const AliasRecord* r = FirstAlias(state.aliases); r != nullptr; r = r->Next) {
        if (TextEqual(r->Name, name)) {
            return r;
        }
    }
    return nullptr;
}

// One letter per item: N as in the newer state, O as in the older one, - empty, x other.
char Code(bool isNew, bool isOld, bool empty) {
    return isNew ? 'N' : isOld ? 'O' : empty ? '-' : 'x';
}

std::string Summary(const std::string& codes, std::size_t newCount) {
    if (codes.empty() || codes.find_first_not_of('-') == std::string::npos) {
        return "nothing";
    }
    if (codes == std::string(newCount, 'N')) {
        return "new";
    }
    if (codes.find_first_not_of('O') == std::string::npos) {
        return "old";
    }
    return "mixed";
}

std::string SettingsCodes(const Settings& s, const Settings& newer, const Settings& older) {
    std::string codes;
    codes += Code(s.Startup == newer.Startup, s.Startup == older.Startup, false);
    codes += Code(s.Hide == newer.Hide, s.Hide == older.Hide, false);
    codes +=
        Code(s.AfterCommand == newer.AfterCommand, s.AfterCommand == older.AfterCommand, false);
    codes += Code(s.LocX == newer.LocX, s.LocX == older.LocX, false);
    codes += Code(s.LocY == newer.LocY, s.LocY == older.LocY, false);
    codes += Code(s.HotKey == newer.HotKey, s.HotKey == older.HotKey, false);
    codes += Code(TextEqual(s.StartPath, newer.StartPath), TextEqual(s.StartPath, older.StartPath),
                  false);
    return codes;
}

Outcome SaveAndReload(int k, Mode mode, int* totalMutations) {
    MemoryRegistry reg;
    AppState older, newer, loaded;
    BuildState(older, false);
    BuildState(newer, true);
    EXPECT_TRUE(SaveState(reg, older));
    reg.PutString(RegRoot::CurrentUser, kAliasKeyPath, "Note", "left by someone else");
    reg.ResetCounters();
    reg.FailMutation(k, mode);
    Outcome outcome;
    outcome.saved = SaveState(reg, newer);
    *totalMutations = reg.Mutations();
    outcome.operation = k <= reg.Mutations() ? reg.Log()[k - 1] : "(none)";
    const std::string hkcu = std::string("HKCU\\") + kMainKeyPath;
    const std::size_t at = outcome.operation.find(hkcu);
    if (at != std::string::npos) {
        outcome.operation.replace(at, hkcu.size(), "~");
    }
    if (outcome.operation.compare(0, 7, "FAILED ") == 0) {
        outcome.operation.erase(0, 7);
    }
    reg.FailMutation(0, Mode::Only);
    outcome.runValue = reg.GetValue(RegRoot::CurrentUser, kRunKeyPath, kRunValueName) != nullptr;

    ResetAndLoad(reg, loaded, "C:\\WINDOWS", "C:\\Z");
    EXPECT_EQ(reg.OpenHandles(), 0);
    outcome.firstRun = loaded.firstRun;

    for (const AliasRecord* r = FirstAlias(loaded.aliases); r != nullptr; r = r->Next) {
        const AliasRecord* n = Named(newer, r->Name);
        const AliasRecord* o = Named(older, r->Name);
        const bool isDefault = TextEqual(r->Name, "help") || TextEqual(r->Name, "corvath software");
        outcome.names.push_back(r->Name);
        outcome.aliases += isDefault ? 'D'
                                     : Code(n != nullptr && SameAlias(r, n),
                                            o != nullptr && SameAlias(r, o), false);
    }
    outcome.aliasVerdict = Summary(outcome.aliases, 3);
    if (outcome.aliases.empty()) {
        outcome.aliases = "(none)";
    }

    // Slots 0 to 6: the newer state fills 7 of them, the older one 5.
    for (int i = 0; i < 7; ++i) {
        const char* slot = loaded.history.Slots[i];
        outcome.history +=
            Code(TextEqual(slot, newer.history.Slots[i]),
                 TextEqual(slot, older.history.Slots[i]) && slot[0] != '\0', slot[0] == '\0');
    }
    outcome.historyVerdict = outcome.history == "OOOOO--" ? "old" : Summary(outcome.history, 7);

    outcome.settings = SettingsCodes(loaded.settings, newer.settings, older.settings);
    outcome.settingsVerdict = Summary(outcome.settings, 7);
    return outcome;
}

int CountMutations() {
    int total = 0;
    SaveAndReload(1000, Mode::Only, &total);
    return total;
}

bool Has(const std::vector<std::string>& names, const char* name) {
    for (const std::string& n : names) {
        if (n == name) {
            return true;
        }
    }
    return false;
}

// Whatever call fails, and whether the save goes on after it or ends there, the save says
// so, and the next start is no first start, finds every alias that both the older and the
// newer list hold, loads at most one alias with mixed fields, and forgets no history.
TEST(SaveFailure, NoFailurePointLosesAnAliasOrTheHistory) {
    const int total = CountMutations();
    ASSERT_EQ(total, 50) << "calls of this save: 1 main key, 7 settings, 1 alias key, 12 "
                            "alias values, 4 left-over alias values and a stray one, "
                            "21 history, 1 picks key, 2 Run";
    for (Mode mode : {Mode::Only, Mode::FromThenOn}) {
        for (int k = 1; k <= total; ++k) {
            int ignored = 0;
            const Outcome o = SaveAndReload(k, mode, &ignored);
            const std::string where =
                "call " + std::to_string(k) + " (" + o.operation + ") " +
                (mode == Mode::Only ? "failing alone" : "and all after failing") + ": aliases " +
                o.aliases + ", history " + o.history;
            EXPECT_FALSE(o.saved) << where;
            if (mode == Mode::Only && k > 1 && k < total - 1) {  // not the main key nor Run
                EXPECT_FALSE(o.runValue) << where << ": the save stopped before its last call";
            }
            EXPECT_FALSE(o.firstRun) << where;
            for (const char* kept : kKeptAliases) {
                EXPECT_TRUE(Has(o.names, kept)) << where << ": " << kept << " lost";
            }
            EXPECT_LE(std::count(o.aliases.begin(), o.aliases.end(), 'x'), 1) << where;
            EXPECT_EQ(o.settings.find_first_not_of("NO"), std::string::npos) << where;
            EXPECT_EQ(o.history.find('x'), std::string::npos) << where;
            EXPECT_NE(o.historyVerdict, "nothing") << where;
        }
    }
}

TEST(SaveFailure, CompleteSaveLeavesExactlyTheNewAliasValues) {
    int total = 0;
    const Outcome clean = SaveAndReload(1000, Mode::Only, &total);
    EXPECT_EQ(clean.aliases, "NNN");
    EXPECT_EQ(clean.historyVerdict, "new");
    EXPECT_EQ(clean.settingsVerdict, "new");
    EXPECT_FALSE(clean.firstRun);

    MemoryRegistry reg;
    AppState older, newer;
    BuildState(older, false);
    BuildState(newer, true);
    ASSERT_TRUE(SaveState(reg, older));
    reg.PutString(RegRoot::CurrentUser, kAliasKeyPath, "", "the key's default value");
    reg.PutString(RegRoot::CurrentUser, kAliasKeyPath, "A03", "no leading zeros");
    reg.PutString(RegRoot::CurrentUser, kAliasKeyPath, std::string(300, 'n'), "long name");
    ASSERT_TRUE(SaveState(reg, newer));
    reg.PutString(RegRoot::CurrentUser, kAliasKeyPath, "Note", "stray");
    ASSERT_TRUE(SaveState(reg, newer)) << "deleting the absent A3 and Run value is no failure";
    std::vector<std::string> names = reg.ValueNames(RegRoot::CurrentUser, kAliasKeyPath);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A0", "A1", "A2", "C0", "C1", "C2", "P0", "P1", "P2",
                                               "W0", "W1", "W2"}));
    EXPECT_EQ(reg.OpenHandles(), 0);
}

TEST(SaveFailure, DISABLED_SaveFailureTable) {
    const int total = CountMutations();
    std::printf(
        "Older saved state: aliases keep-a gone-b keep-c gone-d and a stray value, history "
        "'old 4'..'old 0' in slots 0-4, Startup 1 (a Run value).\nNewer state saved over "
        "it: aliases keep-a keep-c new-e (edited), history 'new 6'..'new 0' in slots 0-6, "
        "Startup 0.\n~ = HKCU\\%s. Codes: N as newer, O as "
        "older, D first-run default alias, - empty, x neither (fields mixed or empty).\n"
        "Settings codes in the order Startup Hide AfterCommand LocX LocY HotKey StartPath; "
        "history codes for slots 0-6.\n\n",
        kMainKeyPath);
    std::printf(
        "| k | call | fails | SaveState | first run | aliases | | history 0-6 | | settings | "
        "| Run value |\n|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (int k = 1; k <= total; ++k) {
        for (Mode mode : {Mode::Only, Mode::FromThenOn}) {
            int ignored = 0;
            const Outcome o = SaveAndReload(k, mode, &ignored);
            std::string loaded;
            for (std::size_t i = 0; i < o.names.size(); ++i) {
                loaded += (i > 0 ? " " : "") + o.names[i] + ":" + o.aliases[i];
            }
            std::printf("| %d | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", k,
                        o.operation.c_str(), mode == Mode::Only ? "only k" : "k on",
                        o.saved ? "true" : "false", o.firstRun ? "yes" : "no",
                        o.names.empty() ? "(none)" : loaded.c_str(), o.aliasVerdict.c_str(),
                        o.history.c_str(), o.historyVerdict.c_str(), o.settings.c_str(),
                        o.settingsVerdict.c_str(), o.runValue ? "yes" : "no");
        }
    }
}

}  // namespace
