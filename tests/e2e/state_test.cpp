// What the program keeps across restarts: the registry it writes for a new user, the
// settings, aliases and history it reads back, the window's place and the hot key.
#include <gtest/gtest.h>

#include "harness.h"
#include "program_test.h"
#include "stored_values.h"

using namespace e2e;

namespace {

constexpr WORD kOpen = 2001;
const char kFirstRunQuestion[] =
    "It appears this is the first time you start Zantrel, would you like to configure it?";

class StateTest : public ProgramTest {};

TEST_F(StateTest, NewUserGetsTheQuestionTheDefaultsAndEverythingWrittenAtClose) {
    const int icons = TrayIconCount();
    Start();
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(app.Pid(), &box)) << "no first-run question";
    EXPECT_EQ("Zantrel", box.title);
    EXPECT_EQ(kFirstRunQuestion, box.text);
    EXPECT_STREQ("question", IconName(box.icon));
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    EXPECT_EQ(window, GetWindow(box.box, GW_OWNER));
    // Asked after the window was shown and placed at the first-start position.
    EXPECT_TRUE(IsShown(window));
    EXPECT_EQ(300, WindowRect(window).left);
    EXPECT_EQ(200, WindowRect(window).top);
    EXPECT_EQ(icons + 1, TrayIconCount());
    Answer(box, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return NoMessageBox(app.Pid()); }));
    EXPECT_TRUE(ComboItems(window).empty());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kMainKey, "Startup")) << "saved before the end";

    CloseAndWait();
    const std::string folder = ExeDir();
    ExpectValue(kMainKey, "Startup", REG_BINARY, {1});
    ExpectValue(kMainKey, "Hide", REG_BINARY, {0});
    ExpectValue(kMainKey, "AfterCommand", REG_DWORD, Dword(0));
    ExpectValue(kMainKey, "LocX", REG_DWORD, Dword(300));
    ExpectValue(kMainKey, "LocY", REG_DWORD, Dword(200));
    ExpectValue(kMainKey, "HotKey", REG_BINARY, {0, 0});
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    ExpectValue(kMainKey, "StartPath", REG_SZ, Sz(std::string(1, windows[0]) + ":\\"));
    ExpectValue(kAliasKey, "A0", REG_SZ, Sz("corvath software"));
    ExpectValue(kAliasKey, "C0", REG_SZ, Sz("https://corvath.example/zantrel"));
    ExpectValue(kAliasKey, "A1", REG_SZ, Sz("help"));
    ExpectValue(kAliasKey, "C1", REG_SZ, Sz(folder + "\\zantrel.hlp"));
    ExpectValue(kAliasKey, "W1", REG_DWORD, Dword(0));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kAliasKey, "A2"));
    for (int i = 0; i < 20; ++i) {
        ExpectValue(kHistoryKey, std::to_string(i).c_str(), REG_SZ, Sz(""));
    }
    ExpectValue(kRunKey, "Zantrel", REG_SZ, Sz("\"" + folder + "\\zantrel.exe\""));
}

TEST_F(StateTest, RestartIsNoFirstStartAndKeepsSettingsAliasesAndHistory) {
    MakeReturningUser();
    SetByte("Startup", 0);
    ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", 1002));
    ASSERT_TRUE(SetString(kMainKey, "StartPath", "C:\\users"));
    ASSERT_TRUE(SetStoredAlias(0, "ed", "notepad.exe", "C:\\", 1));
    ASSERT_TRUE(SetStoredAlias(1, "calc", "calc.exe", "C:\\windows", 0));
    const char* history[] = {"calc", "ed", "notepad readme.txt"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SetString(kHistoryKey, std::to_string(i).c_str(), history[i])) << history[i];
    }
    SetString(kRunKey, "Zantrel", "left by someone else");

    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    Sleep(300);
    EXPECT_TRUE(NoMessageBox(app.Pid())) << "a returning user was asked the first-run question";
    EXPECT_EQ((std::vector<std::string>{"calc", "ed", "notepad readme.txt"}), ComboItems(window));
    EXPECT_EQ("", ComboText(window));
    CloseAndWait();

    ExpectValue(kMainKey, "Startup", REG_BINARY, {0});
    ExpectValue(kMainKey, "AfterCommand", REG_DWORD, Dword(1002));
    ExpectValue(kMainKey, "StartPath", REG_SZ, Sz("C:\\users"));
    ExpectValue(kAliasKey, "A0", REG_SZ, Sz("ed"));
    ExpectValue(kAliasKey, "W0", REG_DWORD, Dword(1));
    ExpectValue(kAliasKey, "A1", REG_SZ, Sz("calc"));
    ExpectValue(kAliasKey, "P1", REG_SZ, Sz("C:\\windows"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kAliasKey, "A2")) << "default aliases were added";
    std::vector<std::string> expected(20, "");
    expected[0] = "calc";
    expected[1] = "ed";
    expected[2] = "notepad readme.txt";
    EXPECT_EQ(expected, StoredHistory());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Zantrel"))
        << "start with Windows is off, the Run value must go";
}

TEST_F(StateTest, WindowComesBackWhereItWasMoved) {
    MakeReturningUser();
    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    SetWindowPos(window, nullptr, 421, 333, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(window).left == 421; }));
    CloseAndWait();
    DWORD x = 0;
    DWORD y = 0;
    ASSERT_TRUE(ReadDword(kMainKey, "LocX", &x));
    ASSERT_TRUE(ReadDword(kMainKey, "LocY", &y));
    EXPECT_EQ(421u, x);
    EXPECT_EQ(333u, y);

    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    EXPECT_EQ(421, WindowRect(window).left);
    EXPECT_EQ(333, WindowRect(window).top);
}

struct PlaceCase {
    const char* name;
    int savedX;
    int savedY;
    int shownX;
    int shownY;
};

// A window that would lie entirely outside every monitor comes back at the first-start
// position; one that is partly visible stays where it was saved.
const PlaceCase kPlaceCases[] = {
    {"FarLeftAbove", -5000, -5000, 300, 200}, {"FarRight", 20000, 100, 300, 200},
    {"Below", 100, 5000, 300, 200},           {"PartlyLeft", -100, 50, -100, 50},
    {"PartlyBelow", 200, 1000, 200, 1000},    {"Origin", 0, 0, 0, 0},
};

class PlaceTest : public StateTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(PlaceTest, SavedPositionIsUsedWhenVisible) {
    MakeReturningUser();
    ASSERT_TRUE(SetDword(kMainKey, "LocX", static_cast<DWORD>(GetParam().savedX)));
    ASSERT_TRUE(SetDword(kMainKey, "LocY", static_cast<DWORD>(GetParam().savedY)));
    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    EXPECT_EQ(GetParam().shownX, WindowRect(window).left);
    EXPECT_EQ(GetParam().shownY, WindowRect(window).top);
}

INSTANTIATE_TEST_SUITE_P(Positions, PlaceTest, ::testing::ValuesIn(kPlaceCases),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(StateTest, HiddenStartShowsOnlyTheTrayIconAndOpensAtTheSavedPlace) {
    MakeReturningUser();
    SetByte("Hide", 1);
    ASSERT_TRUE(SetDword(kMainKey, "LocX", 150));
    ASSERT_TRUE(SetDword(kMainKey, "LocY", 160));
    const int icons = TrayIconCount();
    Start();
    Sleep(500);
    EXPECT_FALSE(IsShown(window));
    EXPECT_EQ(icons + 1, TrayIconCount());
    PostCommand(window, kOpen);
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    EXPECT_EQ(150, WindowRect(window).left);
    EXPECT_EQ(160, WindowRect(window).top);
}

TEST_F(StateTest, SavedHotKeyCallsTheWindowUp) {
    MakeReturningUser();
    SetByte("Hide", 1);
    const unsigned char hotKey[2] = {VK_F9, 0x02 | 0x04};  // Control+Alt+F9
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    Start();
    Sleep(300);
    ASSERT_FALSE(IsShown(window));
    EXPECT_TRUE(NoMessageBox(app.Pid()));
    PressKeys({VK_CONTROL, VK_MENU}, VK_F9);
    EXPECT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }))
        << "the hot key did not bring the window up";
    // The hot key is ours while the program runs: nobody else gets it.
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F9));
    CloseAndWait();
    EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F9))
        << "the hot key was not given back at the end";
    UnregisterHotKey(nullptr, 7);
}

TEST_F(StateTest, HotKeyHeldByAnotherProgramIsReportedOnceAndKept) {
    MakeReturningUser();
    const unsigned char hotKey[2] = {VK_F8, 0x01 | 0x02};  // Shift+Control+F8
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    ASSERT_TRUE(RegisterHotKey(nullptr, 9, MOD_SHIFT | MOD_CONTROL, VK_F8));
    Start();
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(app.Pid(), &box));
    EXPECT_EQ("Error registering HotKey.", box.text);
    EXPECT_STREQ("error", IconName(box.icon));
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_EQ(window, GetWindow(box.box, GW_OWNER));
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return NoMessageBox(app.Pid()); }));
    Sleep(500);
    EXPECT_TRUE(NoMessageBox(app.Pid())) << "the message came twice";
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsShown(window));
    UnregisterHotKey(nullptr, 9);
    CloseAndWait();
    ExpectValue(kMainKey, "HotKey", REG_BINARY, {VK_F8, 0x03});
}

TEST_F(StateTest, EndOfSessionQuerySavesWhileRunning) {
    MakeReturningUser();
    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    SetWindowPos(window, nullptr, 222, 111, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(window).left == 222; }));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kMainKey, "LocX"));
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &result));
    EXPECT_EQ(1u, result);
    DWORD x = 0;
    EXPECT_TRUE(ReadDword(kMainKey, "LocX", &x));
    EXPECT_EQ(222u, x);
    ExpectValue(kHistoryKey, "19", REG_SZ, Sz(""));
    EXPECT_TRUE(app.Running());
}

}  // namespace
