// The Settings dialog driven as a user would: its three ways of opening, what it shows,
// what OK, Cancel and the alias and history buttons write to the registry and when, the
// file pickers of Import and Export, and the hot key.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "is_wine.h"
#include "stored_values.h"

using namespace e2e;
using namespace e2e::settings_id;

namespace {

// The configuration controls of the Settings dialog as the user sees them.
struct Shown {
    int afterCommand;  // the checked button: kHide, kStay or kClose
    bool hidden;
    bool startOnBoot;
    std::string startPath;
    bool operator==(const Shown& o) const {
        return afterCommand == o.afterCommand && hidden == o.hidden &&
               startOnBoot == o.startOnBoot && startPath == o.startPath;
    }
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "{button " << s.afterCommand << ", hidden " << s.hidden << ", boot "
               << s.startOnBoot << ", path \"" << s.startPath << "\"}";
}

class SettingsTest : public DialogTest {
  protected:
    Shown ShownNow() {
        int after = 0;
        int checked = 0;
        for (int id : {kHide, kStay, kClose}) {
            if (IsChecked(Item(id))) {
                after = id;
                ++checked;
            }
        }
        EXPECT_EQ(1, checked) << "After Command buttons checked";
        EXPECT_NE(IsChecked(Item(kHidden)), IsChecked(Item(kOpen))) << "Hidden and Open";
        return {after, IsChecked(Item(kHidden)), IsChecked(Item(kStartOnBoot)),
                ControlText(Item(kStartPath))};
    }

    WORD ShownHotKey() { return LOWORD(SendMessageA(Item(kHotKey), HKM_GETHOTKEY, 0, 0)); }

    void ExpectOkHasFocus() {
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(settings) == Item(IDOK); }))
            << "focus on " << ClassOf(FocusOf(settings)) << " " << GetDlgCtrlID(FocusOf(settings));
    }
};

TEST_F(SettingsTest, FirstStartYesOpensItOnceAndCancelKeepsTheDefaults) {
    Start();
    MessageBoxInfo question;
    ASSERT_TRUE(WaitForMessageBox(app.Pid(), &question, kWaitMs, window));
    Answer(question, IDYES);
    settings = WaitForDialog(app.Pid(), "Zantrel Settings", window);
    ASSERT_NE(nullptr, settings) << "Yes did not open the Settings dialog";
    ExpectOkHasFocus();
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    const Shown defaults = {kHide, false, true, std::string(1, windows[0]) + ":\\"};
    EXPECT_EQ(defaults, ShownNow());
    EXPECT_EQ(0, ShownHotKey());
    EXPECT_EQ((std::vector<std::string>{"corvath software", "help"}), ListItems(Item(kList)));
    EXPECT_EQ(-1, ListSelection(Item(kList)));

    // "&Settings" again while the dialog is open opens nothing; the command after it shows
    // that the window has handled both.
    PostCommand(window, kSettingsCommand);
    PostCommand(window, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsShown(window); }));
    EXPECT_EQ(1, CountDialogs(app.Pid(), "Zantrel Settings"));

    // Changes, then Cancel: none of them is kept.
    ClickNow(Item(kClose));
    ClickNow(Item(kHidden));
    ClickNow(Item(kStartOnBoot));
    SetControlText(Item(kStartPath), "D:\\elsewhere");
    Close(settings, IDCANCEL);

    // Opened from the tray menu, it shows what it showed before; Esc leaves it.
    PostMessageA(window, kTrayNotify, kTrayIcon, WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return FindTopWindow(app.Pid(), "#32768", true) != nullptr; }));
    PressKey('S');
    settings = WaitForDialog(app.Pid(), "Zantrel Settings", window);
    ASSERT_NE(nullptr, settings) << "the tray menu's Settings did not open it";
    EXPECT_EQ(defaults, ShownNow());
    ExpectOkHasFocus();
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitGone(settings)) << "Esc did not close it";
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kMainKey, "AfterCommand")) << "something saved";
}

const std::string kLongPath = "C:\\" + std::string(297, 'p');

// One OK after another in the same program: each opening shows what the OK before stored.
struct OkRound {
    const char* name;
    int clickAfter;    // an After Command button to click, or 0
    int clickStartup;  // kHidden, kOpen or 0
    bool clickBoot;
    const char* typedPath;  // put into the start path field, or null
    DWORD after;
    unsigned char hide;
    unsigned char startup;
    std::string path;
};

const OkRound kRounds[] = {
    {"Untouched", 0, 0, false, nullptr, 1002, 1, 0, "C:\\users"},
    {"HideOpenBootLongPath", kHide, kOpen, true, kLongPath.c_str(), 0, 0, 1,
     kLongPath.substr(0, 260)},
    {"CloseHiddenNoBootOneSpace", kClose, kHidden, true, " ", 1, 1, 0, " "},
    {"Stay", kStay, 0, false, nullptr, 1002, 1, 0, " "},
};

int AfterCommandButton(DWORD after) {
    return after == 0 ? kHide : after == 1 ? kClose : kStay;
}

TEST_F(SettingsTest, ShowsTheStoredStateAndOkStoresEachField) {
    MakeReturningUser();
    ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", 7));
    SetByte("Hide", 1);
    SetByte("Startup", 0);
    ASSERT_TRUE(SetString(kMainKey, "StartPath", "C:\\users"));
    const unsigned char hotKey[2] = {VK_F9, 0};  // a plain key loads and registers as stored
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    ASSERT_TRUE(SetStoredAlias(0, "b", "b.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(1, "A", "a.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(2, "c", "c.exe", "C:\\", 0));
    Start();

    Shown before = {kStay, true, false, "C:\\users"};  // AfterCommand 7 shows as Stay
    bool first = true;
    for (const OkRound& round : kRounds) {
        SCOPED_TRACE(round.name);
        if (first) {
            PostMessageA(window, WM_SYSCOMMAND, kSettingsCommand, 0);  // the system menu
            settings = WaitForDialog(app.Pid(), "Zantrel Settings", window);
            ASSERT_NE(nullptr, settings) << "the system menu's Settings did not open it";
            first = false;
        } else {
            OpenSettings();
        }
        EXPECT_EQ(before, ShownNow());
        EXPECT_EQ(MAKEWORD(VK_F9, 0), ShownHotKey());
        EXPECT_EQ((std::vector<std::string>{"A", "b", "c"}), ListItems(Item(kList)));
        if (round.clickAfter != 0) {
            ClickNow(Item(round.clickAfter));
        }
        if (round.clickStartup != 0) {
            ClickNow(Item(round.clickStartup));
        }
        if (round.clickBoot) {
            ClickNow(Item(kStartOnBoot));
        }
        if (round.typedPath != nullptr) {
            SetControlText(Item(kStartPath), round.typedPath);
        }
        Close(settings, IDOK);

        ExpectValue(kMainKey, "AfterCommand", REG_DWORD, Dword(round.after));
        ExpectValue(kMainKey, "Hide", REG_BINARY, {round.hide});
        ExpectValue(kMainKey, "Startup", REG_BINARY, {round.startup});
        ExpectValue(kMainKey, "StartPath", REG_SZ, Sz(round.path));
        ExpectValue(kMainKey, "HotKey", REG_BINARY, {VK_F9, 0});
        EXPECT_EQ(round.startup != 0, ValueExists(HKEY_CURRENT_USER, kRunKey, "Zantrel"));
        EXPECT_EQ((std::vector<std::string>{"b", "A", "c"}), StoredAliasNames());
        before = {AfterCommandButton(round.after), round.hide != 0, round.startup != 0, round.path};
    }
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, 0, VK_F9)) << "the stored F9 was not registered";
    UnregisterHotKey(nullptr, 7);
}

TEST_F(SettingsTest, RefusedOkAndCancelStoreNothingTheHotKeyIncluded) {
    MakeReturningUser();
    ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", 1));
    ASSERT_TRUE(SetString(kMainKey, "StartPath", "C:\\users"));
    const unsigned char hotKey[2] = {VK_F9, 0x02 | 0x04};  // Control+Alt+F9
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    Start();
    OpenSettings();
    ClickNow(Item(kStay));
    ClickNow(Item(kHidden));
    ClickNow(Item(kStartOnBoot));
    SendMessageA(Item(kHotKey), HKM_SETHOTKEY, MAKEWORD(VK_F5, 0x01), 0);  // Shift+F5
    SetControlText(Item(kStartPath), "");
    Click(Item(IDOK));
    ExpectMessage(settings, "Default start path can't be blank.", "warning", IDOK);
    EXPECT_TRUE(IsShown(settings)) << "the refused OK closed the dialog";
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kMainKey, "LocX")) << "the refused OK saved";
    Close(settings, IDCANCEL);

    // What is in memory now reaches the registry with the next save: nothing changed.
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, nullptr));
    ExpectValue(kMainKey, "AfterCommand", REG_DWORD, Dword(1));
    ExpectValue(kMainKey, "Hide", REG_BINARY, {0});
    ExpectValue(kMainKey, "Startup", REG_BINARY, {1});
    ExpectValue(kMainKey, "StartPath", REG_SZ, Sz("C:\\users"));
    ExpectValue(kMainKey, "HotKey", REG_BINARY, {VK_F9, 0x06});
    // The old hot key is still the program's, the new one nobody's.
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F9));
    EXPECT_TRUE(RegisterHotKey(nullptr, 8, MOD_SHIFT, VK_F5));
    UnregisterHotKey(nullptr, 8);
}

TEST_F(SettingsTest, DeleteAndClearHistoryAskFirstAndSaveOnlyTheDelete) {
    MakeReturningUser();
    ASSERT_TRUE(SetStoredAlias(0, "x", "x.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(1, "y", "y.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(2, "z", "z.exe", "C:\\", 0));
    ASSERT_TRUE(SetString(kHistoryKey, "0", "one"));
    ASSERT_TRUE(SetString(kHistoryKey, "1", "two"));
    const std::vector<unsigned char> pick = {'c', 0, 'c', '.', 'e', 'x', 'e', 0, 0};
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kPicksKey, "0", REG_MULTI_SZ, pick.data(),
                         static_cast<DWORD>(pick.size())));
    Start();
    OpenSettings();
    HWND list = Item(kList);

    for (int button : {kEdit, kDelete}) {
        SCOPED_TRACE(button == kEdit ? "Edit" : "Delete");
        Click(Item(button));
        ExpectMessage(settings, "No alias is selected.", "warning", IDOK);
    }

    const std::string question = "Are you sure you want to delete the alias \"y\" ?";
    ASSERT_TRUE(SelectListItem(list, "y"));
    Click(Item(kDelete));
    ExpectMessage(settings, question, "warning", IDNO, {IDYES, IDNO});
    EXPECT_EQ((std::vector<std::string>{"x", "y", "z"}), ListItems(list));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kMainKey, "LocX")) << "No saved";

    Click(Item(kDelete));  // "y" is still selected
    ExpectMessage(settings, question, "warning", IDYES, {IDYES, IDNO});
    EXPECT_TRUE(WaitUntil([&] { return ListItems(list) == std::vector<std::string>{"x", "z"}; }));
    EXPECT_EQ(-1, ListSelection(list));
    EXPECT_EQ((std::vector<std::string>{"x", "z"}), StoredAliasNames()) << "saved at once";
    ExpectValue(kPicksKey, "0", REG_MULTI_SZ, pick);

    const std::string clear = "Are you sure you want to clear the entered commands history?";
    Click(Item(kClearHistory));
    ExpectMessage(settings, clear, "warning", IDNO, {IDYES, IDNO});
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), ComboItems(window));
    Click(Item(kClearHistory));
    ExpectMessage(settings, clear, "warning", IDYES, {IDYES, IDNO});
    EXPECT_TRUE(ComboItems(window).empty());
    EXPECT_EQ("one", StoredHistory()[0]) << "a cleared history is saved only with the next save";

    // Cancel undoes neither; the next save writes the cleared history.
    Close(settings, IDCANCEL);
    EXPECT_EQ("one", StoredHistory()[0]);
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, nullptr));
    EXPECT_EQ(std::vector<std::string>(20, ""), StoredHistory());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kPicksKey, "0")) << "the picks go with the history";
    EXPECT_EQ((std::vector<std::string>{"x", "z"}), StoredAliasNames());
}

const char kExported[] =
    "Zantrel Alias Data\r\nVersion 1.23\r\n"
    "[Alias 0]\r\ned\r\nnotepad.exe\r\nC:\\\r\n1\r\n"
    "[Alias 1]\r\ncalc\r\ncalc.exe\r\nC:\\Windows\r\n0";

TEST_F(SettingsTest, ExportAndImportThroughTheFilePickers) {
    MakeReturningUser();
    ASSERT_TRUE(SetStoredAlias(0, "ed", "notepad.exe", "C:\\", 1));
    ASSERT_TRUE(SetStoredAlias(1, "calc", "calc.exe", "C:\\Windows", 0));
    TestFolder folder("pickers");
    ASSERT_TRUE(WriteFile(folder / "damaged.dat", "Zantrel Alias Dat\r\nVersion 1.23\r\n"));
    ASSERT_TRUE(WriteFile(folder / "more.dat",
                          "Zantrel Alias Data\r\nVersion 1.23\r\n"
                          "[Alias 0]\r\nimported\r\nrun.exe\r\nD:\\\r\n2"));
    Start();
    OpenSettings();

    // A name typed without extension gets ".dat".
    Click(Item(kExport));
    HWND picker = WaitForDialog(app.Pid(), "Export Aliases", settings);
    ASSERT_NE(nullptr, picker) << "no save picker";
    EXPECT_EQ("Zantrel Alias Data (*.dat)", ControlText(FindControl(picker, 0x470, "ComboBox")));
    TypeIntoFilePicker(picker, folder / "mine");
    ASSERT_TRUE(WaitGone(picker));
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(folder / "mine.dat") == kExported; }))
        << ReadFile(folder / "mine.dat");

    // An existing file is replaced only after the user agreed.
    ASSERT_TRUE(WriteFile(folder / "mine.dat", "stale"));
    Click(Item(kExport));
    picker = WaitForDialog(app.Pid(), "Export Aliases", settings);
    ASSERT_NE(nullptr, picker);
    TypeIntoFilePicker(picker, folder / "mine");
    MessageBoxInfo overwrite;
    ASSERT_TRUE(WaitForMessageBox(app.Pid(), &overwrite, kWaitMs, picker)) << "no prompt";
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), overwrite.buttons);
    Answer(overwrite, IDYES);
    ASSERT_TRUE(WaitGone(picker));
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(folder / "mine.dat") == kExported; }))
        << ReadFile(folder / "mine.dat");

    Click(Item(kImport));
    picker = WaitForDialog(app.Pid(), "Import Aliases", settings);
    ASSERT_NE(nullptr, picker) << "no open picker";
    TypeIntoFilePicker(picker, folder / "damaged.dat");
    ASSERT_TRUE(WaitGone(picker));
    ExpectMessage(settings, "Error importing aliases.", "error", IDOK);
    EXPECT_EQ((std::vector<std::string>{"calc", "ed"}), ListItems(Item(kList)));

    Click(Item(kImport));
    picker = WaitForDialog(app.Pid(), "Import Aliases", settings);
    ASSERT_NE(nullptr, picker);
    TypeIntoFilePicker(picker, folder / "more.dat");
    ASSERT_TRUE(WaitGone(picker));
    ASSERT_TRUE(WaitUntil([&] {
        return ListItems(Item(kList)) == std::vector<std::string>{"calc", "ed", "imported"};
    }));
    EXPECT_EQ(-1, ListSelection(Item(kList)));

    // The import reaches the registry with the next save, Cancel notwithstanding.
    Close(settings, IDCANCEL);
    EXPECT_EQ((std::vector<std::string>{"ed", "calc"}), StoredAliasNames());
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, nullptr));
    EXPECT_EQ((std::vector<std::string>{"ed", "calc", "imported"}), StoredAliasNames());
    ExpectValue(kAliasKey, "W2", REG_DWORD, Dword(2));
}

// The help viewer opened from the dialog belongs to the command window: it stays when the
// dialog goes.
TEST_F(SettingsTest, HelpOutlivesTheDialog) {
    MakeReturningUser();
    Start();
    OpenSettings();
    Click(Item(kHelp));
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (viewer = FindTopWindow(app.Pid(), "HH Parent", true)) != nullptr;
    })) << "no HTML Help window";
    EXPECT_EQ(window, GetWindow(viewer, GW_OWNER));
    Close(settings, IDCANCEL);
    EXPECT_TRUE(IsWindow(viewer)) << "the viewer went with the Settings dialog";
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(viewer));
}

// Without Ctrl or Alt a key pressed into the field becomes an Alt combination: Windows adds
// Alt, Wine puts it in Shift's place. Ctrl and Alt combinations stay as pressed.
struct PressedHotKey {
    std::vector<WORD> modifiers;
    WORD key;
    BYTE flags, wineFlags;  // what the field shows on Windows and under Wine
};
const PressedHotKey kPressedHotKeys[] = {
    {{}, VK_F5, HOTKEYF_ALT, HOTKEYF_ALT},
    {{VK_SHIFT}, VK_F7, HOTKEYF_SHIFT | HOTKEYF_ALT, HOTKEYF_ALT},
    {{VK_CONTROL}, VK_F8, HOTKEYF_CONTROL, HOTKEYF_CONTROL}};

TEST_F(SettingsTest, HotKeyPressedIntoTheFieldWorksAndTheOldOneIsFreed) {
    MakeReturningUser();
    SetByte("Hide", 1);
    const unsigned char hotKey[2] = {VK_F9, 0x02 | 0x04};  // Control+Alt+F9
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    Start();
    OpenSettings();

    // Tab from OK to the hot-key field, past Cancel, the checked radio buttons (which take
    // the tab stop when checked) and "Start on boot".
    ExpectOkHasFocus();
    for (int i = 0; i < 8 && FocusOf(settings) != Item(kHotKey); ++i) {
        HWND before = FocusOf(settings);
        PressKey(VK_TAB);
        ASSERT_TRUE(WaitUntil([&] { return FocusOf(settings) != before; })) << "Tab did nothing";
    }
    ASSERT_EQ(Item(kHotKey), FocusOf(settings));
    for (const PressedHotKey& pressed : kPressedHotKeys) {
        PressKeys(pressed.modifiers, pressed.key);
        const WORD shown = MAKEWORD(pressed.key, IsWine() ? pressed.wineFlags : pressed.flags);
        EXPECT_TRUE(WaitUntil([&] { return ShownHotKey() == shown; }))
            << "key " << pressed.key << ": the field shows " << std::hex << ShownHotKey();
    }
    Close(settings, IDOK);
    ExpectValue(kMainKey, "HotKey", REG_BINARY, {VK_F8, HOTKEYF_CONTROL});

    ASSERT_FALSE(IsShown(window));
    PressKeys({VK_CONTROL}, VK_F8);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(window); })) << "Ctrl+F8 did not call it up";
    EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F9))
        << "the old hot key is still held";
    UnregisterHotKey(nullptr, 7);

    // A hot key another program holds is refused, and stored all the same.
    ASSERT_TRUE(RegisterHotKey(nullptr, 9, MOD_ALT, VK_F6));
    OpenSettings();
    SendMessageA(Item(kHotKey), HKM_SETHOTKEY, MAKEWORD(VK_F6, 0x04), 0);  // Alt+F6
    Click(Item(IDOK));
    ExpectMessage(settings, "Error registering HotKey.", "error", IDOK);
    ASSERT_TRUE(WaitGone(settings));
    UnregisterHotKey(nullptr, 9);
    ExpectValue(kMainKey, "HotKey", REG_BINARY, {VK_F6, 0x04});
    EXPECT_TRUE(RegisterHotKey(nullptr, 8, MOD_CONTROL, VK_F8)) << "Ctrl+F8 is still held";
    UnregisterHotKey(nullptr, 8);

    // Free again, it is not taken by an OK that leaves the field as it is.
    OpenSettings();
    Close(settings, IDOK);
    EXPECT_TRUE(RegisterHotKey(nullptr, 9, MOD_ALT, VK_F6))
        << "an unchanged hot key was registered";
    UnregisterHotKey(nullptr, 9);
}

}  // namespace
