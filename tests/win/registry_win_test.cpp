// The registry backend against the real (Wine) registry, and the settings store through
// it: every test creates its own key under HKCU\Software and removes it afterwards; the
// tests of the program's own keys remove those before and after.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "state/process_win.h"
#include "state/registry_win.h"
#include "state/settings_store.h"
#include "state/state_win.h"
#include "case_name.h"
#include "is_wine.h"

namespace {

std::vector<unsigned char> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string Printable(const std::vector<unsigned char>& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            wsprintfA(hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

// Removes the program's per-user keys and its Run value.
void RemoveProgramKeys() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kAliasKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kHistoryKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kPicksKeyPath);
    RegDeleteKeyA(HKEY_CURRENT_USER, kMainKeyPath);
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, kRunValueName);
        RegCloseKey(run);
    }
}

// A raw read, outside the code under test.
bool RawValue(HKEY root, const char* path, const char* name, DWORD* type,
              std::vector<unsigned char>* data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data->assign(size, 0);
        status = RegQueryValueExA(key, name, nullptr, type, data->data(), &size);
        data->resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

class WinRegistryTest : public testing::Test {
  protected:
    void SetUp() override {
        wsprintfA(path_, "Software\\ZantrelStateTest%lu", GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, path_);
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path_, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &raw_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(raw_);
        EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, path_), ERROR_SUCCESS);
    }
    void Put(const char* name, DWORD type, const std::vector<unsigned char>& data) {
        ASSERT_EQ(RegSetValueExA(raw_, name, 0, type, data.data(), static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS)
            << name;
    }
    RegKey Open(RegAccess access = RegAccess::All) {
        RegKey key = nullptr;
        EXPECT_TRUE(reg_.OpenKey(RegRoot::CurrentUser, path_, access, &key));
        return key;
    }

    char path_[64];
    HKEY raw_ = nullptr;
    WinRegistry reg_;
};

struct ReadCase {
    const char* title;
    DWORD type;
    std::vector<unsigned char> stored;
    std::uint32_t capacity;
    bool ok;
    std::vector<unsigned char> read;  // the bytes reported, when ok
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.title;
}

class ReadValue : public WinRegistryTest, public testing::WithParamInterface<ReadCase> {};

TEST_P(ReadValue, BoundedAndTypeIgnored) {
    const ReadCase& c = GetParam();
    Put("v", c.type, c.stored);
    RegKey key = Open();
    ASSERT_NE(key, nullptr);
    // A guard after the buffer shows any write past its end.
    std::vector<unsigned char> buffer(c.capacity + 8, 0xAB);
    std::uint32_t size = c.capacity;
    const bool ok = reg_.ReadValue(key, "v", buffer.data(), &size);
    reg_.CloseKey(key);
    EXPECT_EQ(ok, c.ok) << c.title;
    for (std::size_t i = c.capacity; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], 0xAB) << c.title << ": byte " << i << " past the buffer written";
    }
    if (ok && c.ok) {
        EXPECT_EQ(Printable({buffer.begin(), buffer.begin() + size}), Printable(c.read)) << c.title;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadValue,
    testing::Values(
        ReadCase{"string with terminator", REG_SZ, Bytes(std::string("abc", 4)), 17, true,
                 Bytes(std::string("abc", 4))},
        ReadCase{"string exactly filling", REG_SZ, Bytes(std::string(16, 'n') + '\0'), 17, true,
                 Bytes(std::string(16, 'n') + '\0')},
        ReadCase{
            "string one byte too long", REG_SZ, Bytes(std::string(17, 'n') + '\0'), 17, false, {}},
        ReadCase{
            "string far too long", REG_SZ, Bytes(std::string(300, 'n') + '\0'), 261, false, {}},
        ReadCase{"binary exactly filling", REG_BINARY, Bytes("ABCD"), 4, true, Bytes("ABCD")},
        ReadCase{"binary too long", REG_BINARY, Bytes("ABCDE"), 4, false, {}},
        ReadCase{"dword as 4 bytes", REG_DWORD, {1, 2, 3, 4}, 4, true, {1, 2, 3, 4}},
        ReadCase{"dword into 2 bytes", REG_DWORD, {1, 2, 3, 4}, 2, false, {}},
        ReadCase{
            "dword into a text buffer", REG_DWORD, {'A', 'B', 0, 0}, 261, true, {'A', 'B', 0, 0}},
        ReadCase{"binary into 1 byte", REG_BINARY, {7}, 1, true, {7}},
        ReadCase{"empty binary", REG_BINARY, {}, 4, true, {}}),
    case_name::By(&ReadCase::title));

TEST_F(WinRegistryTest, StringWithoutTerminatorNeverRunsPast) {
    // Stored without its terminator, and read into a buffer it fills exactly: whatever the
    // registry adds must stay inside the buffer, and the size reported must fit.
    Put("v", REG_SZ, Bytes(std::string(16, 'n')));
    RegKey key = Open();
    std::vector<unsigned char> buffer(16 + 8, 0xAB);
    std::uint32_t size = 16;
    const bool ok = reg_.ReadValue(key, "v", buffer.data(), &size);
    reg_.CloseKey(key);
    if (ok) {
        EXPECT_LE(size, 16u);
    }
    for (std::size_t i = 16; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], 0xAB) << "byte " << i;
    }
}

TEST_F(WinRegistryTest, MissingValueFails) {
    RegKey key = Open();
    char buffer[8];
    std::uint32_t size = sizeof(buffer);
    EXPECT_FALSE(reg_.ReadValue(key, "none", buffer, &size));
    reg_.CloseKey(key);
}

struct WriteCase {
    RegType type;
    DWORD rawType;
    std::vector<unsigned char> data;
};

class WriteValue : public WinRegistryTest, public testing::WithParamInterface<WriteCase> {};

TEST_P(WriteValue, TypeAndBytesAsGiven) {
    RegKey key = Open();
    ASSERT_TRUE(reg_.WriteValue(key, "w", GetParam().type, GetParam().data.data(),
                                static_cast<std::uint32_t>(GetParam().data.size())));
    reg_.CloseKey(key);
    DWORD type = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, path_, "w", &type, &data));
    EXPECT_EQ(type, GetParam().rawType);
    EXPECT_EQ(Printable(data), Printable(GetParam().data));
}

std::string CaseName(const WriteCase& c) {
    return std::string(c.type == RegType::String   ? "string"
                       : c.type == RegType::Binary ? "binary"
                                                   : "dword") +
           "_of_" + std::to_string(c.data.size());
}

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(Table, WriteValue,
                         testing::Values(WriteCase{RegType::Binary, REG_BINARY, {1}},
                                         WriteCase{RegType::Binary, REG_BINARY, {0x74, 0x03}},
                                         WriteCase{RegType::Dword, REG_DWORD, {0xea, 0x03, 0, 0}},
                                         WriteCase{RegType::String, REG_SZ, {0}},
                                         WriteCase{RegType::String, REG_SZ,
                                                   Bytes(std::string("C:\\x", 5))}),
                         case_name::Of<WriteCase>());

TEST_F(WinRegistryTest, DeleteValueAndKey) {
    RegKey key = Open();
    EXPECT_TRUE(reg_.DeleteValue(key, "none")) << "a missing value is gone all the same";
    Put("gone", REG_SZ, {0});
    RegKey readOnly = Open(RegAccess::Read);
    EXPECT_FALSE(reg_.DeleteValue(readOnly, "gone")) << "a key opened for reading";
    reg_.CloseKey(readOnly);
    EXPECT_TRUE(reg_.DeleteValue(key, "gone"));
    DWORD type;
    std::vector<unsigned char> data;
    EXPECT_FALSE(RawValue(HKEY_CURRENT_USER, path_, "gone", &type, &data));
    reg_.CloseKey(key);

    const std::string child = std::string(path_) + "\\child";
    const std::string grandchild = child + "\\grandchild";
    RegKey created = nullptr;
    ASSERT_TRUE(reg_.CreateKey(RegRoot::CurrentUser, grandchild.c_str(), &created));
    reg_.CloseKey(created);
    EXPECT_FALSE(reg_.DeleteKey(RegRoot::CurrentUser, child.c_str())) << "has a subkey";
    EXPECT_TRUE(reg_.DeleteKey(RegRoot::CurrentUser, grandchild.c_str()));
    EXPECT_TRUE(reg_.DeleteKey(RegRoot::CurrentUser, child.c_str()));
    EXPECT_FALSE(reg_.DeleteKey(RegRoot::CurrentUser, child.c_str())) << "already gone";
}

TEST_F(WinRegistryTest, ListsValuesAndDeletingOneMovesTheRestDown) {
    for (const std::string& name :
         {std::string("b"), std::string("A0"), std::string(), std::string(300, 'n')}) {
        Put(name.c_str(), REG_SZ, {0});
    }
    RegKey key = Open();
    std::uint32_t count = 0;
    ASSERT_TRUE(reg_.ValueCount(key, &count));
    EXPECT_EQ(count, 4u);
    std::vector<std::string> names;
    char name[16384];
    for (std::uint32_t i = 0;; ++i) {
        std::uint32_t size = sizeof(name);
        if (!reg_.ValueNameAt(key, i, name, &size)) {
            break;
        }
        EXPECT_EQ(size, std::strlen(name)) << "value " << i;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"", "A0", "b", std::string(300, 'n')}));
    const auto nameAt = [&](std::uint32_t index) {
        std::uint32_t size = sizeof(name);
        return reg_.ValueNameAt(key, index, name, &size) ? std::string(name) : "<none>";
    };
    const std::string second = nameAt(1);
    ASSERT_TRUE(reg_.DeleteValue(key, nameAt(0).c_str()));
    EXPECT_EQ(nameAt(0), second);
    ASSERT_TRUE(reg_.ValueCount(key, &count));
    EXPECT_EQ(count, 3u);
    reg_.CloseKey(key);
}

TEST_F(WinRegistryTest, CreateOpensAnExistingKeyWithItsValues) {
    Put("kept", REG_BINARY, {9});
    RegKey key = nullptr;
    ASSERT_TRUE(reg_.CreateKey(RegRoot::CurrentUser, path_, &key));
    unsigned char byte = 0;
    std::uint32_t size = 1;
    EXPECT_TRUE(reg_.ReadValue(key, "kept", &byte, &size));
    EXPECT_EQ(byte, 9);
    reg_.CloseKey(key);
}

TEST_F(WinRegistryTest, MissingKeyDoesNotOpen) {
    RegKey key = nullptr;
    const std::string missing = std::string(path_) + "\\missing";
    EXPECT_FALSE(reg_.OpenKey(RegRoot::CurrentUser, missing.c_str(), RegAccess::Read, &key));
    EXPECT_FALSE(reg_.OpenKey(RegRoot::CurrentUser, missing.c_str(), RegAccess::All, &key));
}

TEST_F(WinRegistryTest, ReadAccessOpensMachineKeyWithoutWriting) {
    RegKey key = nullptr;
    ASSERT_TRUE(reg_.OpenKey(RegRoot::LocalMachine, "Software", RegAccess::Read, &key));
    const unsigned char byte = 1;
    EXPECT_FALSE(reg_.WriteValue(key, "ZantrelStateTest", RegType::Binary, &byte, 1))
        << "a key opened for reading took a write";
    reg_.CloseKey(key);
}

// The settings store on the program's own keys.
class StoreOnWinRegistry : public testing::Test {
  protected:
    void SetUp() override { RemoveProgramKeys(); }
    void TearDown() override { RemoveProgramKeys(); }
    WinRegistry reg_;
};

TEST_F(StoreOnWinRegistry, RoundTripAndLayout) {
    AppState state;
    ResetAndLoad(reg_, state, "C:\\windows", "C:\\Program Files\\Zantrel");
    EXPECT_TRUE(state.firstRun);
    state.settings.Hide = 1;
    state.settings.AfterCommand = kAfterStay;
    state.settings.LocX = -8;
    state.settings.LocY = 4000;
    state.settings.HotKey = 0x0374;
    CopyText(state.settings.StartPath, std::string(260, 's').c_str(), kTextBuffer);
    AddAlias(state.aliases, std::string(16, 'z').c_str(), std::string(260, 'c').c_str(), "D:\\", 2);
    AddToHistory(state.history, "notepad");
    AddToHistory(state.history, std::string(260, 'h').c_str());
    // Of 1,046 bytes in UTF-16, which the ANSI read may ask room for.
    RememberPick(state.picks, std::string(260, 't').c_str(), std::string(260, 'e').c_str());
    ASSERT_TRUE(SaveState(reg_, state));

    struct Expected {
        const char* path;
        const char* name;
        DWORD type;
        std::size_t size;
    };
    const Expected layout[] = {
        {kMainKeyPath, "Startup", REG_BINARY, 1},
        {kMainKeyPath, "Hide", REG_BINARY, 1},
        {kMainKeyPath, "AfterCommand", REG_DWORD, 4},
        {kMainKeyPath, "LocX", REG_DWORD, 4},
        {kMainKeyPath, "LocY", REG_DWORD, 4},
        {kMainKeyPath, "HotKey", REG_BINARY, 2},
        {kMainKeyPath, "StartPath", REG_SZ, 261},
        {kAliasKeyPath, "A0", REG_SZ, 17},
        {kAliasKeyPath, "C0", REG_SZ, 32},
        {kAliasKeyPath, "W2", REG_DWORD, 4},
        {kAliasKeyPath, "A2", REG_SZ, 17},
        {kAliasKeyPath, "C2", REG_SZ, 261},
        {kAliasKeyPath, "P2", REG_SZ, 4},
        {kHistoryKeyPath, "0", REG_SZ, 261},
        {kHistoryKeyPath, "1", REG_SZ, 8},
        {kHistoryKeyPath, "19", REG_SZ, 1},
        {kPicksKeyPath, "0", REG_MULTI_SZ, 523},
        {kRunKeyPath, kRunValueName, REG_SZ, 39},
    };
    for (const Expected& e : layout) {
        DWORD type = 0;
        std::vector<unsigned char> data;
        ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, e.path, e.name, &type, &data)) << e.name;
        EXPECT_EQ(type, e.type) << e.name;
        EXPECT_EQ(data.size(), e.size) << e.name;
    }
    DWORD type = 0;
    std::vector<unsigned char> run;
    ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, &type, &run));
    EXPECT_EQ(Printable(run),
              Printable(Bytes(std::string("\"C:\\Program Files\\Zantrel\\zantrel.exe\"\0", 39))));

    AppState loaded;
    ResetAndLoad(reg_, loaded, "C:\\windows", "C:\\elsewhere");
    EXPECT_FALSE(loaded.firstRun);
    EXPECT_EQ(loaded.settings.Hide, 1);
    EXPECT_EQ(loaded.settings.AfterCommand, kAfterStay);
    EXPECT_EQ(loaded.settings.LocX, -8);
    EXPECT_EQ(loaded.settings.LocY, 4000);
    EXPECT_EQ(loaded.settings.HotKey, 0x0374);
    EXPECT_STREQ(loaded.settings.StartPath, state.settings.StartPath);
    const AliasRecord* a = FirstAlias(state.aliases);
    const AliasRecord* b = FirstAlias(loaded.aliases);
    for (; a != nullptr && b != nullptr; a = a->Next, b = b->Next) {
        SCOPED_TRACE(a->Name);
        EXPECT_STREQ(b->Name, a->Name);
        EXPECT_STREQ(b->Command, a->Command);
        EXPECT_STREQ(b->StartPath, a->StartPath);
        EXPECT_EQ(b->WindowState, a->WindowState);
    }
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    for (int i = 0; i < kHistorySlots; ++i) {
        EXPECT_STREQ(loaded.history.Slots[i], state.history.Slots[i]) << "slot " << i;
    }
    ASSERT_EQ(loaded.picks.count, 1);
    EXPECT_STREQ(loaded.picks.items[0].typed, state.picks.items[0].typed);
    EXPECT_STREQ(loaded.picks.items[0].entry, state.picks.items[0].entry);

    loaded.settings.Startup = 0;
    ASSERT_TRUE(SaveState(reg_, loaded));
    EXPECT_FALSE(RawValue(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, &type, &run));
    ASSERT_TRUE(SaveState(reg_, loaded)) << "deleting the absent Run value again";
}

TEST_F(StoreOnWinRegistry, SaveOverMoreAliasesLeavesExactlyTheNewValues) {
    AppState state;
    ResetAndLoad(reg_, state, "C:\\windows", "C:\\Z");
    ReleaseAliasList(state.aliases);  // without the first start's two
    for (const char* name : {"a", "b", "c"}) {
        AddAlias(state.aliases, name, "cmd", "dir", 0);
    }
    ASSERT_TRUE(SaveState(reg_, state));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kAliasKeyPath, 0, KEY_ALL_ACCESS, &raw),
              ERROR_SUCCESS);
    RegSetValueExA(raw, "Note", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RemoveAlias(state.aliases, "a");
    RemoveAlias(state.aliases, "c");
    ASSERT_TRUE(SaveState(reg_, state));
    std::vector<std::string> names;
    char name[256];
    DWORD length = sizeof(name);
    for (DWORD i = 0;
         RegEnumValueA(raw, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof(name)) {
        names.push_back(name);
    }
    RegCloseKey(raw);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A0", "C0", "P0", "W0"}));
    AppState loaded;
    ResetAndLoad(reg_, loaded, "C:\\windows", "C:\\Z");
    ASSERT_NE(FirstAlias(loaded.aliases), nullptr);
    EXPECT_STREQ(FirstAlias(loaded.aliases)->Name, "b");
    EXPECT_EQ(FirstAlias(loaded.aliases)->Next, nullptr);
}

// What a program with the code page Windows-1252 stored (the registry keeps UTF-16) loads
// as the same characters under UTF-8, whole: a name of 16 characters keeps them all.
TEST_F(StoreOnWinRegistry, ValuesStoredInWindows1252LoadAsTheSameCharacters) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the test program carries the manifest";
    const struct {
        const char* path;
        const wchar_t* name;
        const wchar_t* text;
    } stored[] = {{kAliasKeyPath, L"A0",
                   L"\xd6"
                   L"ffentlichkeiten"},  // 17 bytes in UTF-8
                  {kAliasKeyPath, L"P0",
                   L"C:\\M\xfc"
                   L"ller"},
                  {kAliasKeyPath, L"A1", L"caf\xe9"},
                  {kHistoryKeyPath, L"0", L"\x20ac 100"}};
    for (const auto& value : stored) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, value.path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS)
            << value.path;
        RegSetValueExW(key, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text),
                       static_cast<DWORD>((lstrlenW(value.text) + 1) * sizeof(WCHAR)));
        RegCloseKey(key);
    }
    AppState state;
    ResetAndLoad(reg_, state, "C:\\windows", "");
    const AliasRecord* first = FirstAlias(state.aliases);
    ASSERT_TRUE(first != nullptr && first->Next != nullptr) << "the alias after a long name";
    EXPECT_STREQ(first->Name,
                 "\xc3\x96"
                 "ffentlichkeiten");
    EXPECT_STREQ(first->StartPath,
                 "C:\\M\xc3\xbc"
                 "ller");
    EXPECT_STREQ(first->Next->Name, "caf\xc3\xa9");
    EXPECT_STREQ(state.history.Slots[0], "\xe2\x82\xac 100");
}

struct StoredCase {
    const char* title;
    const char* name;
    DWORD type;
    std::vector<unsigned char> stored;
    std::string expected;
    // What Wine gives where it differs: its RegQueryValueExA counts a terminator that it adds
    // to a string stored without one, so that a value exactly filling the buffer reads as
    // too long there, and the default stays.
    std::string wine = "";
};

void PrintTo(const StoredCase& c, std::ostream* os) {
    *os << c.title;
}

class StoredSetting : public StoreOnWinRegistry, public testing::WithParamInterface<StoredCase> {};

TEST_P(StoredSetting, LoadsBoundedAndTerminated) {
    const StoredCase& c = GetParam();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kMainKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, c.name, 0, c.type, c.stored.data(), static_cast<DWORD>(c.stored.size()));
    RegCloseKey(key);
    AppState state;
    ResetAndLoad(reg_, state, "C:\\windows", "");
    const std::string actual = std::strcmp(c.name, "StartPath") == 0
                                   ? std::string(state.settings.StartPath)
                                   : std::to_string(state.settings.AfterCommand);
    EXPECT_EQ(actual, IsWine() && !c.wine.empty() ? c.wine : c.expected) << c.title;
}

const std::string k260(260, 'p');

INSTANTIATE_TEST_SUITE_P(
    Table, StoredSetting,
    testing::Values(
        StoredCase{"AfterCommand as 4 binary bytes", "AfterCommand", REG_BINARY, {1, 0, 0, 0}, "1"},
        StoredCase{"AfterCommand too long", "AfterCommand", REG_BINARY, {1, 0, 0, 0, 0}, "0"},
        StoredCase{"StartPath without terminator", "StartPath", REG_SZ, Bytes("D:\\x"), "D:\\x"},
        StoredCase{"StartPath 261 without terminator", "StartPath", REG_SZ, Bytes(k260 + 'Z'), k260,
                   "C:\\"},
        StoredCase{"StartPath 261 and terminator", "StartPath", REG_SZ, Bytes(k260 + "Z" + '\0'),
                   "C:\\"},
        StoredCase{"StartPath as binary", "StartPath", REG_BINARY, Bytes(std::string("E:\\\0x", 5)),
                   "E:\\"}),
    case_name::By(&StoredCase::title));

// The Win32 operations on the process-wide state: a window with the command box and a
// list box stands in for the command window.
class StateOperations : public StoreOnWinRegistry {
  protected:
    void SetUp() override {
        StoreOnWinRegistry::SetUp();
        window_ = CreateWindowExA(0, "STATIC", "zantrel test", WS_OVERLAPPED, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (window_ == nullptr) {
            GTEST_SKIP() << "no display to create windows on";
        }
        combo_ = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 0, 0, 80, 200, window_,
                                 reinterpret_cast<HMENU>(IDC_COMMAND_BOX), nullptr, nullptr);
        list_ = CreateWindowExA(0, "LISTBOX", "", WS_CHILD, 0, 0, 80, 80, window_, nullptr, nullptr,
                                nullptr);
        g_app.window = window_;
    }
    void TearDown() override {
        if (window_ != nullptr) {
            UnregisterHotKey(window_, HOTKEY_ID);
            DestroyWindow(window_);
        }
        g_app.window = nullptr;
        ReleaseAliasList(g_state.aliases);
        StoreOnWinRegistry::TearDown();
    }
    std::vector<std::string> Items(HWND control, UINT countMessage, UINT textMessage) {
        std::vector<std::string> items;
        const LRESULT count = SendMessageA(control, countMessage, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[kTextBuffer + 1] = "";
            SendMessageA(control, textMessage, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    HWND window_ = nullptr, combo_ = nullptr, list_ = nullptr;
};

TEST_F(StateOperations, FirstStartThenFillsAndClear) {
    ResetAndLoadState();
    EXPECT_TRUE(g_state.firstRun);
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof(windows));
    EXPECT_EQ(g_state.settings.StartPath[0], windows[0]);
    // No machine-wide "Path" in a fresh prefix: the folder of this program.
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, exe, sizeof(exe));
    *std::strrchr(exe, '\\') = '\0';
    EXPECT_STREQ(g_state.settings.InstallPath, exe);

    FillAliasListBox(list_);
    FillAliasListBox(list_);
    EXPECT_EQ(Items(list_, LB_GETCOUNT, LB_GETTEXT),
              (std::vector<std::string>{"corvath software", "help"}));

    SetWindowTextA(combo_, "typed");
    CopyText(g_state.history.Slots[0], "zero", kTextBuffer);
    CopyText(g_state.history.Slots[2], "two", kTextBuffer);
    FillHistoryList();
    FillHistoryList();
    EXPECT_EQ(Items(combo_, CB_GETCOUNT, CB_GETLBTEXT), (std::vector<std::string>{"zero", "two"}));
    char text[16] = "?";
    GetWindowTextA(combo_, text, sizeof(text));
    EXPECT_STREQ(text, "") << "the fill empties the edit field";

    ClearHistory();
    EXPECT_TRUE(Items(combo_, CB_GETCOUNT, CB_GETLBTEXT).empty());
    EXPECT_STREQ(g_state.history.Slots[2], "");

    EXPECT_TRUE(SaveState());
    AppState loaded;
    WinRegistry reg;
    EXPECT_TRUE(LoadState(reg, loaded, ""));
}

TEST_F(StateOperations, SavedHotKeyIsRegisteredWithTranslatedModifiers) {
    // Shift+Control+F11 in the hot-key control's encoding.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kMainKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE hotKey[2] = {VK_F11, 0x03};
    RegSetValueExA(key, "HotKey", 0, REG_BINARY, hotKey, sizeof(hotKey));
    RegCloseKey(key);
    ResetAndLoadState();
    EXPECT_EQ(g_state.settings.HotKey, 0x037a);
    // The combination is taken now: registering it again under another id fails.
    EXPECT_FALSE(RegisterHotKey(window_, 2, MOD_SHIFT | MOD_CONTROL, VK_F11));
    EXPECT_TRUE(UnregisterHotKey(window_, HOTKEY_ID));
    EXPECT_TRUE(RegisterHotKey(window_, 2, MOD_SHIFT | MOD_CONTROL, VK_F11));
    UnregisterHotKey(window_, 2);
}

}  // namespace
