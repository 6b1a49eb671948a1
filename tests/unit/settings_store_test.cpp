// The settings store over the in-memory registry: defaults and first start, the registry
// layout (names, types, byte counts, order), values that are missing, of another type or
// too long, and saves that fail part of the way.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "state/settings_store.h"
#include "state/text_posix.h"
#include "unit/memory_registry.h"
#include "case_name.h"

namespace {

const RegRoot HKCU = RegRoot::CurrentUser;
const RegRoot HKLM = RegRoot::LocalMachine;
const char kWindowsDirectory[] = "E:\\WINDOWS";
const char kExeFolder[] = "C:\\Program Files\\Zantrel";

struct AliasData {
    std::string name, command, path;
    std::uint32_t state;
    bool operator==(const AliasData& o) const {
        return name == o.name && command == o.command && path == o.path && state == o.state;
    }
};

void PrintTo(const AliasData& a, std::ostream* os) {
    *os << "{" << a.name << ", " << a.command << ", " << a.path << ", " << a.state << "}";
}

std::vector<AliasData> Aliases(const AppState& state) {
    std::vector<AliasData> list;
    for (const AliasRecord* r = FirstAlias(state.aliases); r != nullptr; r = r->Next) {
        list.push_back({r->Name, r->Command, r->StartPath, r->WindowState});
    }
    return list;
}

std::vector<std::string> History(const AppState& state) {
    std::vector<std::string> slots;
    for (const auto& slot : state.history.Slots) {
        slots.push_back(slot);
    }
    return slots;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs PicksOf(const AppState& state) {
    Pairs pairs;
    for (int i = 0; i < state.picks.count; ++i) {
        pairs.push_back({state.picks.items[i].typed, state.picks.items[i].entry});
    }
    return pairs;
}

std::vector<unsigned char> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string StoredText(const MemoryRegistry& reg, RegRoot root, const std::string& path,
                       const std::string& name) {
    const MemoryRegistry::Value* v = reg.GetValue(root, path, name);
    return v == nullptr ? "<missing>" : v->data;
}

class SettingsStore : public testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(reg.OpenHandles(), 0) << "a registry key was left open"; }
    void Load(const char* exeFolder = kExeFolder) {
        ResetAndLoad(reg, state, kWindowsDirectory, exeFolder);
    }
    bool Save() { return SaveState(reg, state); }

    // A complete saved state: what an earlier run left behind.
    void PutSavedState() {
        reg.PutValue(HKCU, kMainKeyPath, "Startup", RegType::Binary, {0});
        reg.PutValue(HKCU, kMainKeyPath, "Hide", RegType::Binary, {1});
        reg.PutDword(HKCU, kMainKeyPath, "AfterCommand", 1002);
        reg.PutDword(HKCU, kMainKeyPath, "LocX", static_cast<std::uint32_t>(-20));
        reg.PutDword(HKCU, kMainKeyPath, "LocY", 700);
        reg.PutValue(HKCU, kMainKeyPath, "HotKey", RegType::Binary, {0x74, 0x03});
        reg.PutString(HKCU, kMainKeyPath, "StartPath", "D:\\work");
        PutAlias(0, "mail", "mail.exe", "D:\\", 2);
        PutAlias(1, "help", "other.hlp", "D:\\", 0);
        reg.PutKey(HKCU, kHistoryKeyPath);
        reg.PutString(HKCU, kHistoryKeyPath, "0", "last");
        reg.PutString(HKCU, kHistoryKeyPath, "1", "before");
    }
    void PutAlias(int n, const std::string& name, const std::string& command,
                  const std::string& path, std::uint32_t windowState) {
        const std::string i = std::to_string(n);
        reg.PutString(HKCU, kAliasKeyPath, "A" + i, name);
        reg.PutString(HKCU, kAliasKeyPath, "C" + i, command);
        reg.PutString(HKCU, kAliasKeyPath, "P" + i, path);
        reg.PutDword(HKCU, kAliasKeyPath, "W" + i, windowState);
    }

    MemoryRegistry reg;
    AppState state;
};

const AliasData kDefaultMaker{"corvath software", kMakerAddress, "E:\\", 0};

TEST_F(SettingsStore, NewUserGetsDefaultsAndFirstRun) {
    Load();
    const Settings& s = state.settings;
    EXPECT_EQ(s.Startup, 1);
    EXPECT_EQ(s.Hide, 0);
    EXPECT_EQ(s.AfterCommand, 0);
    EXPECT_EQ(s.LocX, 300);
    EXPECT_EQ(s.LocY, 200);
    EXPECT_EQ(s.HotKey, 0);
    EXPECT_STREQ(s.StartPath, "E:\\");
    // No machine-wide "Path": the folder of the running program.
    EXPECT_STREQ(s.InstallPath, kExeFolder);
    EXPECT_EQ(Aliases(state),
              (std::vector<AliasData>{
                  kDefaultMaker, {"help", std::string(kExeFolder) + "\\zantrel.hlp", "E:\\", 0}}));
    EXPECT_EQ(History(state), std::vector<std::string>(20, ""));
    EXPECT_TRUE(state.firstRun);
    EXPECT_TRUE(reg.Log().empty()) << "loading wrote to the registry";

    ASSERT_TRUE(Save());
    EXPECT_TRUE(reg.HasKey(HKCU, kMainKeyPath));
    EXPECT_TRUE(reg.HasKey(HKCU, kAliasKeyPath));
    EXPECT_TRUE(reg.HasKey(HKCU, kHistoryKeyPath));
    EXPECT_EQ(StoredText(reg, HKCU, kRunKeyPath, "Zantrel"),
              std::string("\"") + kExeFolder + "\\zantrel.exe\"" + '\0');
    EXPECT_FALSE(reg.HasKey(HKLM, kMainKeyPath)) << "the machine-wide key is never written";
}

TEST_F(SettingsStore, InstallPathFromMachineKeyOpenedForReadingOnly) {
    // The memory registry refuses full access to machine-wide keys, as for a user
    // without administrator rights.
    reg.PutString(HKLM, kMainKeyPath, "Path", "F:\\Tools\\Zantrel");
    Load();
    EXPECT_STREQ(state.settings.InstallPath, "F:\\Tools\\Zantrel");
    EXPECT_EQ(Aliases(state)[1].command, "F:\\Tools\\Zantrel\\zantrel.hlp");
}

TEST_F(SettingsStore, NoInstallPathAnywhereGivesBareFileNames) {
    Load(nullptr);
    EXPECT_STREQ(state.settings.InstallPath, "");
    EXPECT_EQ(Aliases(state)[1].command, "\\zantrel.hlp");
    ASSERT_TRUE(Save());
    EXPECT_EQ(StoredText(reg, HKCU, kRunKeyPath, "Zantrel"),
              std::string("\"\\zantrel.exe\"") + '\0');
}

TEST_F(SettingsStore, WholeSavedStateLoads) {
    PutSavedState();
    Load();
    const Settings& s = state.settings;
    EXPECT_EQ(s.Startup, 0);
    EXPECT_EQ(s.Hide, 1);
    EXPECT_EQ(s.AfterCommand, 1002);
    EXPECT_EQ(s.LocX, -20);
    EXPECT_EQ(s.LocY, 700);
    EXPECT_EQ(s.HotKey, 0x0374);
    EXPECT_STREQ(s.StartPath, "D:\\work");
    EXPECT_EQ(Aliases(state), (std::vector<AliasData>{{"mail", "mail.exe", "D:\\", 2},
                                                      {"help", "other.hlp", "D:\\", 0}}));
    EXPECT_EQ(History(state)[0], "last");
    EXPECT_EQ(History(state)[1], "before");
    EXPECT_EQ(History(state)[2], "");
    EXPECT_FALSE(state.firstRun);
}

// Which per-user keys are missing, and what the load then gives.
struct MissingKeyCase {
    const char* title;
    const char* removed;
    bool settingsLoaded, aliasesLoaded, historyLoaded;
};

void PrintTo(const MissingKeyCase& c, std::ostream* os) {
    *os << c.title;
}

class MissingKey : public SettingsStore, public testing::WithParamInterface<MissingKeyCase> {};

TEST_P(MissingKey, FirstRunWithDefaultsUnlessPresent) {
    const MissingKeyCase& c = GetParam();
    PutSavedState();
    reg.RemoveKey(HKCU, c.removed);
    Load();
    EXPECT_TRUE(state.firstRun) << c.title;
    EXPECT_EQ(state.settings.LocY, c.settingsLoaded ? 700 : 200) << c.title;
    std::vector<AliasData> expected;
    if (c.aliasesLoaded) {
        expected = {{"mail", "mail.exe", "D:\\", 2}, {"help", "other.hlp", "D:\\", 0}};
        // "help" is already there, so only the other default is added, after them.
        expected.push_back({"corvath software", kMakerAddress, "D:\\work", 0});
    } else {
        const char* start = c.settingsLoaded ? "D:\\work" : "E:\\";
        expected = {{"corvath software", kMakerAddress, start, 0},
                    {"help", std::string(kExeFolder) + "\\zantrel.hlp", start, 0}};
    }
    EXPECT_EQ(Aliases(state), expected) << c.title;
    EXPECT_EQ(History(state)[0], c.historyLoaded ? "last" : "") << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MissingKey,
    testing::Values(MissingKeyCase{"History missing", kHistoryKeyPath, true, true, false},
                    MissingKeyCase{"Alias missing", kAliasKeyPath, true, false, false},
                    MissingKeyCase{"main key missing", kMainKeyPath, false, false, false}),
    case_name::By(&MissingKeyCase::title));

TEST_F(SettingsStore, AliasListSavedEmptyLoadsEmptyWithoutDefaults) {
    Load();
    ReleaseAliasList(state.aliases);
    ASSERT_TRUE(Save());
    EXPECT_TRUE(reg.ValueNames(HKCU, kAliasKeyPath).empty());
    Load();
    EXPECT_TRUE(Aliases(state).empty());
    EXPECT_FALSE(state.firstRun);
}

TEST_F(SettingsStore, GapInAliasNumbersEndsLoadingAndSaveDropsTheRest) {
    PutSavedState();
    PutAlias(3, "three", "3.exe", "", 0);
    Load();
    EXPECT_EQ(Aliases(state).size(), 2u);
    ASSERT_TRUE(Save());
    for (const char* gone : {"A2", "A3", "C3", "P3", "W3"}) {
        EXPECT_EQ(reg.GetValue(HKCU, kAliasKeyPath, gone), nullptr) << gone;
    }
    EXPECT_EQ(reg.ValueNames(HKCU, kAliasKeyPath).size(), 8u);
}

TEST_F(SettingsStore, NamesDifferingOnlyInCaseLoadTheFirst) {
    PutSavedState();
    PutAlias(2, "MAIL", "other.exe", "", 1);
    PutAlias(3, "last", "last.exe", "", 1);
    Load();
    EXPECT_EQ(Aliases(state), (std::vector<AliasData>{{"mail", "mail.exe", "D:\\", 2},
                                                      {"help", "other.hlp", "D:\\", 0},
                                                      {"last", "last.exe", "", 1}}));
}

// A stored name of each length and form at index 1; what loads there and after it.
struct NameCase {
    const char* title;
    std::vector<unsigned char> stored;
    RegType type;
    bool loads;
    const char* loadedName;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.title;
}

class StoredName : public SettingsStore, public testing::WithParamInterface<NameCase> {};

const std::string k15Accents =
    "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
    "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";

TEST_P(StoredName, FitsOrEndsLoading) {
    const NameCase& c = GetParam();
    PutAlias(0, "first", "1.exe", "", 0);
    PutAlias(1, "placeholder", "2.exe", "", 0);
    PutAlias(2, "third", "3.exe", "", 0);
    reg.PutValue(HKCU, kAliasKeyPath, "A1", c.type, c.stored);
    reg.PutKey(HKCU, kHistoryKeyPath);
    reg.PutKey(HKCU, kMainKeyPath);
    Load();
    std::vector<std::string> names;
    for (const AliasData& a : Aliases(state)) {
        names.push_back(a.name);
    }
    const std::vector<std::string> expected =
        c.loads ? std::vector<std::string>{"first", c.loadedName, "third"}
                : std::vector<std::string>{"first"};
    EXPECT_EQ(names, expected) << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredName,
    testing::Values(NameCase{"16 characters and terminator", Bytes(std::string(16, 'n') + '\0'),
                             RegType::String, true, "nnnnnnnnnnnnnnnn"},
                    NameCase{"17 characters without terminator lose the last",
                             Bytes("nnnnnnnnnnnnnnnnX"), RegType::String, true, "nnnnnnnnnnnnnnnn"},
                    NameCase{"17 characters and terminator", Bytes(std::string(17, 'n') + '\0'),
                             RegType::String, false, ""},
                    NameCase{"21 characters and terminator", Bytes(std::string(21, 'n') + '\0'),
                             RegType::String, false, ""},
                    NameCase{"without terminator", Bytes("abc"), RegType::String, true, "abc"},
                    NameCase{"binary with a NUL inside", Bytes(std::string("ab\0cd", 5)),
                             RegType::Binary, true, "ab"},
                    NameCase{"empty value", {}, RegType::String, true, ""},
                    // Stored in a legacy code page, one byte a character; read back as UTF-8.
                    NameCase{"17 two-byte characters end loading", Bytes("xx" + k15Accents + '\0'),
                             RegType::String, false, ""},
                    NameCase{"bytes that are not UTF-8 are taken as the legacy code page",
                             Bytes("caf\xE9"), RegType::Binary, true, "caf\xC3\xA9"}),
    case_name::By(&NameCase::title));

TEST_F(SettingsStore, AliasFieldMissingOrTooLongIsEmptyNotThePreviousAlias) {
    PutAlias(0, "full", "full.exe", "D:\\full", 2);
    reg.PutString(HKCU, kAliasKeyPath, "A1", "bare");
    reg.PutString(HKCU, kAliasKeyPath, "C1", std::string(300, 'c'));
    reg.PutValue(HKCU, kAliasKeyPath, "W1", RegType::Binary, {1, 0, 0, 0, 0});
    reg.PutKey(HKCU, kHistoryKeyPath);
    reg.PutKey(HKCU, kMainKeyPath);
    Load();
    EXPECT_EQ(Aliases(state),
              (std::vector<AliasData>{{"full", "full.exe", "D:\\full", 2}, {"bare", "", "", 0}}));
}

// What an earlier version wrote in a legacy code page, one byte a character, reads back as
// UTF-8 of more bytes: two names of 16 characters that differ only at their end (cut to 16
// bytes, they would be one), and a command and a history entry of 200 characters (400
// bytes). They load whole, and the save writes them back as they were stored.
TEST_F(SettingsStore, LegacyTextsLoadWholeAndSaveAsStored) {
    std::string name, command;
    for (int i = 0; i < 200; ++i) {
        name += i < 14 ? "\xC3\x84" : "";
        command += "\xC3\xA9";
    }
    PutSavedState();
    PutAlias(2, name + "01", command, "D:\\", 0);
    PutAlias(3, name + "02", "second.exe", "D:\\", 0);
    reg.PutString(HKCU, kHistoryKeyPath, "2", command);
    const std::string stored = StoredText(reg, HKCU, kAliasKeyPath, "A3");
    Load();
    ASSERT_TRUE(Save());
    EXPECT_EQ(StoredText(reg, HKCU, kAliasKeyPath, "A3"), stored);
    Load();
    const std::vector<AliasData> aliases = Aliases(state);
    ASSERT_EQ(aliases.size(), 4u);
    EXPECT_EQ(aliases[2], (AliasData{name + "01", command, "D:\\", 0}));
    EXPECT_EQ(aliases[3], (AliasData{name + "02", "second.exe", "D:\\", 0}));
    EXPECT_EQ(History(state)[2], command);
}

struct HistoryCase {
    const char* title;
    std::vector<std::pair<std::string, std::string>> stored;
    std::vector<std::string> slots;  // the first slots; the rest empty
};

void PrintTo(const HistoryCase& c, std::ostream* os) {
    *os << c.title;
}

class StoredHistory : public SettingsStore, public testing::WithParamInterface<HistoryCase> {};

TEST_P(StoredHistory, LoadsUpToTheFirstMissingValue) {
    const HistoryCase& c = GetParam();
    PutSavedState();
    reg.RemoveKey(HKCU, kHistoryKeyPath);
    reg.PutKey(HKCU, kHistoryKeyPath);
    for (const auto& value : c.stored) {
        reg.PutString(HKCU, kHistoryKeyPath, value.first, value.second);
    }
    Load();
    std::vector<std::string> expected = c.slots;
    expected.resize(20);
    EXPECT_EQ(History(state), expected) << c.title;
    EXPECT_FALSE(state.firstRun);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredHistory,
    testing::Values(
        HistoryCase{"0 to 4",
                    {{"0", "a"}, {"1", "b"}, {"2", "c"}, {"3", "d"}, {"4", "e"}},
                    {"a", "b", "c", "d", "e"}},
        HistoryCase{"gap at 2", {{"0", "a"}, {"1", "b"}, {"3", "d"}}, {"a", "b"}},
        HistoryCase{
            "empty value between filled ones", {{"0", "a"}, {"1", ""}, {"2", "c"}}, {"a", "", "c"}},
        HistoryCase{"too long at 1", {{"0", "a"}, {"1", std::string(261, 'x')}, {"2", "c"}}, {"a"}},
        HistoryCase{"20 is never read",
                    {{"0", "a"},  {"1", "b"},  {"2", "c"},  {"3", "d"},  {"4", "e"},  {"5", "f"},
                     {"6", "g"},  {"7", "h"},  {"8", "i"},  {"9", "j"},  {"10", "k"}, {"11", "l"},
                     {"12", "m"}, {"13", "n"}, {"14", "o"}, {"15", "p"}, {"16", "q"}, {"17", "r"},
                     {"18", "s"}, {"19", "t"}, {"20", "u"}},
                    {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j",
                     "k", "l", "m", "n", "o", "p", "q", "r", "s", "t"}}),
    case_name::By(&HistoryCase::title));

TEST_F(SettingsStore, HistoryOf0To4SavesAllTwenty) {
    PutSavedState();
    Load();
    ASSERT_TRUE(Save());
    for (int i = 0; i < 20; ++i) {
        const MemoryRegistry::Value* v = reg.GetValue(HKCU, kHistoryKeyPath, std::to_string(i));
        ASSERT_NE(v, nullptr) << "value " << i;
        EXPECT_EQ(v->type, RegType::String) << "value " << i;
    }
    EXPECT_EQ(StoredText(reg, HKCU, kHistoryKeyPath, "2"), std::string(1, '\0'));
}

// One settings value stored in some form; what the field becomes.
struct ValueCase {
    const char* title;
    const char* name;
    RegType type;
    std::vector<unsigned char> stored;
    std::string expected;  // the field, printed
};

std::string Field(const Settings& s, const std::string& name) {
    if (name == "Startup")
        return std::to_string(s.Startup);
    if (name == "Hide")
        return std::to_string(s.Hide);
    if (name == "AfterCommand")
        return std::to_string(s.AfterCommand);
    if (name == "LocX")
        return std::to_string(s.LocX);
    if (name == "LocY")
        return std::to_string(s.LocY);
    if (name == "HotKey")
        return std::to_string(s.HotKey);
    if (name == "StartPath")
        return s.StartPath;
    return "?";
}

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.title;
}

class StoredValue : public SettingsStore, public testing::WithParamInterface<ValueCase> {};

TEST_P(StoredValue, TypeIgnoredSizeMustFit) {
    const ValueCase& c = GetParam();
    PutSavedState();
    reg.RemoveValue(HKCU, kMainKeyPath, c.name);
    reg.PutValue(HKCU, kMainKeyPath, c.name, c.type, c.stored);
    Load();
    EXPECT_EQ(Field(state.settings, c.name), c.expected) << c.title;
    EXPECT_EQ(Aliases(state).size(), 2u) << "the settings' reads disturbed the rest";
}

const std::string k260(260, 'p');

INSTANTIATE_TEST_SUITE_P(
    Table, StoredValue,
    testing::Values(
        ValueCase{
            "AfterCommand as 4 binary bytes", "AfterCommand", RegType::Binary, {1, 0, 0, 0}, "1"},
        ValueCase{"AfterCommand as 5 bytes keeps default",
                  "AfterCommand",
                  RegType::Dword,
                  {1, 0, 0, 0, 0},
                  "0"},
        ValueCase{"AfterCommand as 1 byte", "AfterCommand", RegType::Binary, {1}, "1"},
        ValueCase{"AfterCommand empty keeps default", "AfterCommand", RegType::Binary, {}, "0"},
        ValueCase{"LocX negative", "LocX", RegType::Dword, {0xce, 0xff, 0xff, 0xff}, "-50"},
        ValueCase{"LocX as text too long", "LocX", RegType::String, Bytes(std::string("1234\0", 5)),
                  "300"},
        ValueCase{"LocY as short text takes its bytes", "LocY", RegType::String, Bytes("A"), "65"},
        ValueCase{"Startup 0", "Startup", RegType::Binary, {0}, "0"},
        ValueCase{"Startup as DWORD too long", "Startup", RegType::Dword, {0, 0, 0, 0}, "1"},
        ValueCase{"Hide as DWORD too long", "Hide", RegType::Dword, {1, 0, 0, 0}, "0"},
        ValueCase{"HotKey low byte first", "HotKey", RegType::Binary, {0x41, 0x06}, "1601"},
        ValueCase{"HotKey 3 bytes", "HotKey", RegType::Binary, {0x41, 0x06, 0}, "0"},
        ValueCase{"HotKey as DWORD too long", "HotKey", RegType::Dword, {0x41, 0, 0, 0}, "0"},
        ValueCase{"StartPath", "StartPath", RegType::String, Bytes(std::string("F:\\x") + '\0'),
                  "F:\\x"},
        ValueCase{"StartPath without terminator", "StartPath", RegType::String, Bytes("F:\\x"),
                  "F:\\x"},
        ValueCase{"StartPath 260 and terminator", "StartPath", RegType::String, Bytes(k260 + '\0'),
                  k260},
        ValueCase{"StartPath 261 without terminator drops the last", "StartPath", RegType::String,
                  Bytes(k260 + 'Z'), k260},
        ValueCase{"StartPath 261 and terminator keeps default", "StartPath", RegType::String,
                  Bytes(k260 + "Z" + '\0'), "E:\\"},
        ValueCase{"StartPath as DWORD", "StartPath", RegType::Dword, {'A', 'B', 0, 0}, "AB"},
        ValueCase{"StartPath binary with NUL inside", "StartPath", RegType::Binary,
                  Bytes(std::string("G:\\\0junk", 8)), "G:\\"},
        ValueCase{"StartPath empty value", "StartPath", RegType::String, {}, ""}),
    case_name::By(&ValueCase::title));

TEST_F(SettingsStore, MachinePathTooLongFallsBackToExeFolder) {
    reg.PutString(HKLM, kMainKeyPath, "Path", std::string(261, 'q'));
    Load();
    EXPECT_STREQ(state.settings.InstallPath, kExeFolder);
}

TEST_F(SettingsStore, SaveWritesEveryValueWithItsTypeAndSizeInOrder) {
    PutSavedState();
    Load();
    state.settings.Startup = 1;
    state.settings.LocX = -2;
    CopyText(state.settings.InstallPath, "C:\\Z", sizeof(state.settings.InstallPath));
    ReleaseAliasList(state.aliases);
    AddAlias(state.aliases, std::string(16, 'n').c_str(), std::string(300, 'c').c_str(), "", 7);
    reg.ResetCounters();
    ASSERT_TRUE(Save());

    const std::string main = std::string("HKCU\\") + kMainKeyPath;
    const std::string alias = std::string("HKCU\\") + kAliasKeyPath;
    const std::string history = std::string("HKCU\\") + kHistoryKeyPath;
    const std::string picks = std::string("HKCU\\") + kPicksKeyPath;
    const std::string run = std::string("HKCU\\") + kRunKeyPath;
    std::vector<std::string> expected = {
        "CreateKey " + main,
        "WriteValue " + main + " Startup BINARY 1",
        "WriteValue " + main + " Hide BINARY 1",
        "WriteValue " + main + " AfterCommand DWORD 4",
        "WriteValue " + main + " LocX DWORD 4",
        "WriteValue " + main + " LocY DWORD 4",
        "WriteValue " + main + " HotKey BINARY 2",
        "WriteValue " + main + " StartPath SZ 8",
        "CreateKey " + alias,
        "WriteValue " + alias + " C0 SZ 261",
        "WriteValue " + alias + " P0 SZ 1",
        "WriteValue " + alias + " W0 DWORD 4",
        "WriteValue " + alias + " A0 SZ 17",
        // The saved state's second alias is gone from the list: its name first.
        "DeleteValue " + alias + " A1",
        "DeleteValue " + alias + " C1",
        "DeleteValue " + alias + " P1",
        "DeleteValue " + alias + " W1",
        "CreateKey " + history,
        "WriteValue " + history + " 0 SZ 5",
        "WriteValue " + history + " 1 SZ 7",
    };
    for (int i = 2; i < 20; ++i) {
        expected.push_back("WriteValue " + history + " " + std::to_string(i) + " SZ 1");
    }
    expected.push_back("CreateKey " + picks);
    expected.push_back("CreateKey " + run);
    expected.push_back("WriteValue " + run + " Zantrel SZ 19");
    EXPECT_EQ(reg.Log(), expected);

    const auto bytes = [&](const char* name) {
        return reg.GetValue(HKCU, kMainKeyPath, name)->Bytes();
    };
    EXPECT_EQ(bytes("LocX"), (std::vector<unsigned char>{0xfe, 0xff, 0xff, 0xff}));
    EXPECT_EQ(bytes("LocY"), (std::vector<unsigned char>{0xbc, 0x02, 0, 0}));
    EXPECT_EQ(bytes("HotKey"), (std::vector<unsigned char>{0x74, 0x03}));
    EXPECT_EQ(bytes("AfterCommand"), (std::vector<unsigned char>{0xea, 0x03, 0, 0}));
    EXPECT_EQ(bytes("Hide"), (std::vector<unsigned char>{1}));
    EXPECT_EQ(reg.GetValue(HKCU, kAliasKeyPath, "W0")->Bytes(),
              (std::vector<unsigned char>{7, 0, 0, 0}));
    EXPECT_EQ(StoredText(reg, HKCU, kRunKeyPath, "Zantrel"),
              std::string("\"C:\\Z\\zantrel.exe\"") + '\0');
}

TEST_F(SettingsStore, RoundTripKeepsEverything) {
    Load();
    Settings& s = state.settings;
    s.Startup = 0;
    s.Hide = 1;
    s.AfterCommand = 1002;
    s.LocX = -1234567;
    s.LocY = 2147483647;
    s.HotKey = 0x0f7b;
    CopyText(s.StartPath, std::string(260, 's').c_str(), sizeof(s.StartPath));
    ReleaseAliasList(state.aliases);
    for (int i = 0; i < 12; ++i) {  // two-digit numbers too
        const std::string n = std::to_string(i);
        AddAlias(state.aliases, ("alias " + n).c_str(), ("cmd " + n + " * x").c_str(),
                 ("D:\\" + n).c_str(), static_cast<std::uint32_t>(i) * 0x11111111u);
    }
    AddAlias(state.aliases, std::string(16, 'z').c_str(), std::string(260, 'c').c_str(),
             std::string(260, 'p').c_str(), 0xffffffffu);
    CopyText(state.history.Slots[0], "zero", kTextBuffer);
    CopyText(state.history.Slots[2], "two", kTextBuffer);  // slot 1 stays empty
    CopyText(state.history.Slots[19], std::string(260, 'h').c_str(), kTextBuffer);
    RememberPick(state.picks, std::string(260, 't').c_str(), std::string(260, 'e').c_str());
    RememberPick(state.picks, "Caf\xC3\xA9", "caf\xC3\xA9.exe");
    const Pairs picks = PicksOf(state);
    // A pick of an earlier save beyond the new ones goes with this save.
    reg.PutMultiString(HKCU, kPicksKeyPath, "2", {"old", "old.exe"});
    const std::vector<AliasData> aliases = Aliases(state);
    const std::vector<std::string> history = History(state);
    const Settings saved = s;
    ASSERT_TRUE(Save());

    Load("C:\\elsewhere");
    EXPECT_EQ(std::memcmp(&state.settings.StartPath, saved.StartPath, kTextBuffer), 0);
    EXPECT_EQ(state.settings.Startup, 0);
    EXPECT_EQ(state.settings.Hide, 1);
    EXPECT_EQ(state.settings.AfterCommand, 1002);
    EXPECT_EQ(state.settings.LocX, -1234567);
    EXPECT_EQ(state.settings.LocY, 2147483647);
    EXPECT_EQ(state.settings.HotKey, 0x0f7b);
    EXPECT_EQ(Aliases(state), aliases);
    EXPECT_EQ(History(state), history);
    EXPECT_EQ(PicksOf(state), picks);
    EXPECT_FALSE(state.firstRun);
}

// One stored pick between two good ones: loaded, or skipped without disturbing the others.
TEST_F(SettingsStore, StoredPickLoadsOnlyWhenWellFormed) {
    using S = std::string;
    const S p260(260, 'p'), nul(1, '\0');
    const RegType kMulti = RegType::MultiString;
    const struct {
        const char* title;
        RegType type;
        S stored;  // the value "1"
        bool loads;
        unsigned codePage = kNativeUtf8;
    } cases[] = {
        {"two texts", kMulti, S("t\0e\0\0", 5), true},
        {"without the list's closing NUL", kMulti, S("t\0e\0", 4), true},
        {"of 260 bytes each", kMulti, p260 + nul + p260 + nul + nul, true},
        {"as REG_SZ", RegType::String, S("t\0e\0\0", 5), false},
        {"empty typed text", kMulti, S("\0e\0\0", 4), false},
        {"entry without its NUL", kMulti, S("t\0e", 3), false},
        {"a third text", kMulti, S("t\0e\0x\0\0", 7), false},
        {"typed text of 261 bytes", kMulti, p260 + "p" + nul + "e" + nul, false},
        {"longer than any pick", kMulti, S(3000, 'p'), false},
        {"not UTF-8", kMulti, S("caf\xE9\0e\0\0", 8), false},
        {"whole double-byte characters", kMulti, S("\x82\xA0\0e\0\0", 6), true, kNativeShiftJis},
        {"a lead byte without its second", kMulti, S("t\x82\0e\0\0", 6), false, kNativeShiftJis},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        SetNativeCodePage(c.codePage);
        PutSavedState();
        reg.RemoveKey(HKCU, kPicksKeyPath);
        reg.PutMultiString(HKCU, kPicksKeyPath, "0", {"first", "1.exe"});
        reg.PutValue(HKCU, kPicksKeyPath, "1", c.type, Bytes(c.stored));
        reg.PutMultiString(HKCU, kPicksKeyPath, "99", {"last", "99.exe"});
        reg.PutMultiString(HKCU, kPicksKeyPath, "100", {"never", "read"});
        Load();
        Pairs expected = {{"first", "1.exe"}, {"last", "99.exe"}};
        if (c.loads) {
            const std::size_t split = c.stored.find('\0');
            expected.insert(expected.begin() + 1,
                            {c.stored.substr(0, split), c.stored.substr(split + 1).c_str()});
        }
        EXPECT_EQ(PicksOf(state), expected);
    }
    SetNativeCodePage(kNativeUtf8);
}

TEST_F(SettingsStore, LoadingTwiceDoesNotAddUp) {
    PutSavedState();
    Load();
    AddToHistory(state.history, "unsaved");
    Load();
    EXPECT_EQ(Aliases(state).size(), 2u);
    EXPECT_EQ(History(state)[0], "last");
}

TEST_F(SettingsStore, SaveRemovesAliasesNoLongerInTheList) {
    PutSavedState();
    Load();
    RemoveAlias(state.aliases, "mail");
    ASSERT_TRUE(Save());
    Load();
    EXPECT_EQ(Aliases(state), (std::vector<AliasData>{{"help", "other.hlp", "D:\\", 0}}));
}

TEST_F(SettingsStore, MainKeyThatCannotBeCreatedWritesNothing) {
    PutSavedState();
    Load();
    state.settings.LocX = 1;
    reg.FailCreate(kMainKeyPath);
    reg.ResetCounters();
    EXPECT_FALSE(Save());
    EXPECT_EQ(reg.Log(),
              (std::vector<std::string>{std::string("FAILED CreateKey HKCU\\") + kMainKeyPath}));
    EXPECT_EQ(reg.GetValue(HKCU, kMainKeyPath, "LocX")->Bytes(),
              (std::vector<unsigned char>{0xec, 0xff, 0xff, 0xff}));
}

// A key after the main one that cannot be created: the save reports the failure and still
// writes the rest.
class LaterKeyFails : public SettingsStore, public testing::WithParamInterface<const char*> {};

TEST_P(LaterKeyFails, SaveFalseAndRestWritten) {
    Load();
    reg.FailCreate(GetParam());
    EXPECT_FALSE(Save()) << GetParam();
    for (const char* path : {kMainKeyPath, kAliasKeyPath, kHistoryKeyPath, kRunKeyPath}) {
        EXPECT_EQ(reg.HasKey(HKCU, path), std::strcmp(path, GetParam()) != 0) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LaterKeyFails,
                         testing::Values(kAliasKeyPath, kHistoryKeyPath, kRunKeyPath),
                         [](const testing::TestParamInfo<const char*>& i) {
                             const std::string path = i.param;
                             return case_name::FromTitle(path.substr(path.rfind('\\') + 1));
                         });

struct RunCase {
    const char* title;
    bool valueBefore;
    int startup;
    bool valueAfter;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.title;
}

class RunValue : public SettingsStore, public testing::WithParamInterface<RunCase> {};

TEST_P(RunValue, FollowsStartup) {
    const RunCase& c = GetParam();
    reg.PutKey(HKCU, kRunKeyPath);
    reg.PutString(HKCU, kRunKeyPath, "Other", "other.exe");
    if (c.valueBefore) {
        reg.PutString(HKCU, kRunKeyPath, "Zantrel", "\"old\\zantrel.exe\"");
    }
    Load();
    state.settings.Startup = static_cast<std::uint8_t>(c.startup);
    EXPECT_TRUE(Save()) << c.title;
    EXPECT_EQ(reg.GetValue(HKCU, kRunKeyPath, "Zantrel") != nullptr, c.valueAfter) << c.title;
    EXPECT_NE(reg.GetValue(HKCU, kRunKeyPath, "Other"), nullptr) << c.title;
    Load();
    EXPECT_EQ(state.settings.Startup, c.startup) << c.title;
}

INSTANTIATE_TEST_SUITE_P(Table, RunValue,
                         testing::Values(RunCase{"clear deletes", true, 0, false},
                                         RunCase{"clear, already absent", false, 0, false},
                                         RunCase{"set rewrites a removed value", false, 1, true},
                                         RunCase{"set keeps it", true, 1, true},
                                         RunCase{"any non-zero is set", false, 0x80, true}),
                         case_name::By(&RunCase::title));

class RunText : public SettingsStore, public testing::WithParamInterface<std::size_t> {};

TEST_P(RunText, NeverCutShort) {
    const std::string installPath(GetParam(), 'i');
    Load();
    CopyText(state.settings.InstallPath, installPath.c_str(), kTextBuffer);
    ASSERT_TRUE(Save());
    const std::string expected = "\"" + installPath + "\\zantrel.exe\"";
    EXPECT_EQ(StoredText(reg, HKCU, kRunKeyPath, "Zantrel"), expected + '\0')
        << "install path of " << GetParam() << " characters";
}

INSTANTIATE_TEST_SUITE_P(Table, RunText, testing::Values(0u, 1u, 246u, 247u, 260u),
                         [](const testing::TestParamInfo<std::size_t>& i) {
                             return "install_path_of_" + std::to_string(i.param);
                         });

struct ModifierCase {
    std::uint8_t flags;
    unsigned modifiers;
};

class HotKeyTranslation : public testing::TestWithParam<ModifierCase> {};

TEST_P(HotKeyTranslation, Table) {
    EXPECT_EQ(HotKeyModifiers(GetParam().flags), GetParam().modifiers)
        << "flags 0x" << std::hex << int(GetParam().flags);
}

std::string CaseName(const ModifierCase& c) {
    return "flags_" + std::to_string(c.flags);
}

void PrintTo(const ModifierCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(Flags, HotKeyTranslation,
                         testing::Values(ModifierCase{0x00, 0x0}, ModifierCase{0x01, 0x4},
                                         ModifierCase{0x02, 0x2}, ModifierCase{0x03, 0x6},
                                         ModifierCase{0x04, 0x1}, ModifierCase{0x07, 0x7},
                                         ModifierCase{0x08, 0x0}, ModifierCase{0x0c, 0x1},
                                         ModifierCase{0xf0, 0x0}, ModifierCase{0xff, 0x7}),
                         case_name::Of<ModifierCase>());

TEST(SettingsStoreReset, StartPathFromWindowsDrive) {
    AppState state;
    state.firstRun = true;
    AddAlias(state.aliases, "x", "", "", 0);
    ResetState(state, "Q:\\WINNT");
    EXPECT_STREQ(state.settings.StartPath, "Q:\\");
    EXPECT_EQ(FirstAlias(state.aliases), nullptr);
    EXPECT_FALSE(state.firstRun);
    ResetState(state, "");
    EXPECT_STREQ(state.settings.StartPath, "C:\\");
}

}  // namespace
