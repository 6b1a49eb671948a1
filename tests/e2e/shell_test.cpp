// The running program as the user and the system reach it: a second start, the tray
// icon and its menu, the system menu, keys, the end of the program and of the session.
#include <gtest/gtest.h>

#include "harness.h"

using namespace e2e;

namespace {

constexpr WORD kOpen = 2001;
constexpr WORD kClose = 2002;

// A notification area not ready yet, as at logon: a window of the class to which
// Shell_NotifyIcon sends, made after the shell's own and so found first. It refuses icons
// until g_trayAccepts is set; a thread of its own answers while the test waits.
volatile LONG g_trayAdds = 0;
volatile bool g_trayAccepts = false;

LRESULT CALLBACK UnreadyTrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const bool add = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData == NIM_ADD;
    return add ? (InterlockedIncrement(&g_trayAdds), g_trayAccepts) : TRUE;
}

DWORD WINAPI RunUnreadyTray(void*) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = UnreadyTrayProc;
    wc.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&wc);
    HWND tray = CreateWindowExA(0, wc.lpszClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    DestroyWindow(tray);
    UnregisterClassA(wc.lpszClassName, nullptr);
    return 0;
}

struct UnreadyTray {
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunUnreadyTray, nullptr, 0, &id);
    ~UnreadyTray() {
        PostThreadMessageA(id, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, kWaitMs);
        CloseHandle(thread);
    }
};

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, FindWindowA("Zantrel", nullptr)) << "a zantrel.exe is still running";
        ClearProgramState();
        MakeReturningUser();
    }

    // Starts the program and waits for its visible, focused window.
    void StartVisible() {
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(WaitUntil([&] { return app.Window() != nullptr && IsShown(app.Window()); }))
            << "the command window did not show";
        window = app.Window();
    }

    void HideAndWait() {
        PostCommand(window, IDCANCEL);
        ASSERT_TRUE(WaitUntil([&] { return !IsShown(window); })) << "the window did not hide";
    }

    bool FocusInCommandBox() {
        HWND focus = FocusOf(window);
        return focus != nullptr &&
               (focus == CommandBox(window) || IsChild(CommandBox(window), focus));
    }

    bool ReadyForTyping() {
        return IsShown(window) && GetForegroundWindow() == window && FocusInCommandBox();
    }

    Program app;
    HWND window = nullptr;
};

TEST_F(ShellTest, StartsWithTrayIconAndFocusInTheCommandBox) {
    const int iconsBefore = TrayIconCount();
    StartVisible();
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); }))
        << "foreground " << GetForegroundWindow() << ", window " << window;
    EXPECT_EQ(iconsBefore + 1, TrayIconCount());
    EXPECT_EQ("Zantrel", WindowText(window));
    EXPECT_TRUE(NoMessageBox(app.Pid())) << "a returning user is asked nothing";
}

// Started before the taskbar is ready: no message, the program runs on, its hot key and a
// second start call the window up, and "TaskbarCreated" adds the icon at once.
TEST_F(ShellTest, StartsBeforeTheTaskbarAndAddsTheIconWhenItComes) {
    UnreadyTray tray;
    ASSERT_TRUE(WaitUntil([] {
        DWORD pid = 0;
        GetWindowThreadProcessId(FindWindowA("Shell_TrayWnd", nullptr), &pid);
        return pid == GetCurrentProcessId();
    })) << "the shell's own tray is found first";
    const unsigned char hotKey[2] = {VK_F7, 0x02 | 0x04};  // Control+Alt+F7
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    StartVisible();
    ASSERT_TRUE(WaitUntil([] { return g_trayAdds >= 1; })) << "no icon was asked for";
    EXPECT_TRUE(NoMessageBox(app.Pid()));
    HideAndWait();
    PressKeys({VK_CONTROL, VK_MENU}, VK_F7);
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); })) << "the hot key did nothing";
    HideAndWait();
    Program second;
    DWORD code = 12345;
    EXPECT_TRUE(second.Start() && second.WaitExit(kWaitMs, &code) && code == 0) << code;
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); })) << "the second start did nothing";

    g_trayAccepts = true;
    const LONG adds = g_trayAdds;
    SendMessageTimeoutA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_BLOCK, 5000,
                        nullptr);
    EXPECT_EQ(g_trayAdds, adds + 1) << "no icon added for \"TaskbarCreated\"";
    app.Kill();  // before the tray goes: no later try may reach the shell's own
}

TEST_F(ShellTest, SecondStartShowsTheRunningInstanceAndExitsWithZero) {
    StartVisible();
    HideAndWait();
    const int icons = TrayIconCount();

    Program second;
    ASSERT_TRUE(second.Start());
    DWORD code = 12345;
    ASSERT_TRUE(second.WaitExit(kWaitMs, &code)) << "the second start kept running";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); }))
        << "the first instance did not come up";
    EXPECT_EQ(icons, TrayIconCount()) << "the second start added a tray icon";
    EXPECT_TRUE(app.Running());
}

struct HideCase {
    const char* name;
    void (*act)(HWND window);
};

const HideCase kHideCases[] = {
    {"Esc", [](HWND) { PressKey(VK_ESCAPE); }},
    {"CloseBox", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"AltF4", [](HWND) { PressKeys({VK_MENU}, VK_F4); }},
    {"TrayMenuHide", [](HWND w) { PostCommand(w, IDCANCEL); }},
};

class HideTest : public ShellTest, public ::testing::WithParamInterface<HideCase> {};

TEST_P(HideTest, HidesWithoutEndingAndKeepsTheText) {
    StartVisible();
    ASSERT_TRUE(WaitUntil([&] { return ReadyForTyping(); }));
    SetComboText(window, "notepad half typed");
    GetParam().act(window);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); })) << GetParam().name << " did not hide";
    Sleep(200);
    EXPECT_TRUE(app.Running()) << GetParam().name << " ended the program";
    EXPECT_EQ("notepad half typed", ComboText(window));
}

INSTANTIATE_TEST_SUITE_P(Ways, HideTest, ::testing::ValuesIn(kHideCases),
                         [](const ::testing::TestParamInfo<HideCase>& info) {
                             return std::string(info.param.name);
                         });

struct OpenCase {
    const char* name;
    void (*act)(HWND window);
};

const OpenCase kOpenCases[] = {
    {"OpenCommand", [](HWND w) { PostCommand(w, kOpen); }},
    {"TrayLeftClick", [](HWND w) { PostMessageA(w, kTrayNotify, kTrayIcon, WM_LBUTTONDOWN); }},
    {"HotKeyMessage", [](HWND w) { PostMessageA(w, WM_HOTKEY, 1, 0); }},
};

class OpenTest : public ShellTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenTest, ShowsAndActivatesWhenHidden) {
    StartVisible();
    HideAndWait();
    GetParam().act(window);
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); }))
        << GetParam().name << ": shown " << IsShown(window) << ", foreground "
        << (GetForegroundWindow() == window) << ", focus in box " << FocusInCommandBox();
}

TEST_P(OpenTest, BringsAVisibleWindowFromBehindAnother) {
    StartVisible();
    Program other("bare_window.exe");
    ASSERT_TRUE(other.Start());
    HWND otherWindow = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        otherWindow = FindTopWindow(other.Pid(), "BareWindow", true);
        return otherWindow != nullptr && GetForegroundWindow() == otherWindow;
    })) << "the other window did not come to the front";
    ASSERT_TRUE(IsShown(window));

    GetParam().act(window);
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); }))
        << GetParam().name << ": foreground is " << ClassOf(GetForegroundWindow());
}

INSTANTIATE_TEST_SUITE_P(Ways, OpenTest, ::testing::ValuesIn(kOpenCases),
                         [](const ::testing::TestParamInfo<OpenCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(ShellTest, TrayNotificationsAnswerAsDocumented) {
    StartVisible();
    HideAndWait();
    struct Row {
        WPARAM id;
        LPARAM mouse;
        LRESULT result;
    };
    // Only a left click on our icon opens; everything else is ignored with 0.
    const Row rows[] = {{kTrayIcon, WM_MOUSEMOVE, 0},
                        {kTrayIcon, WM_LBUTTONUP, 0},
                        {kTrayIcon, WM_LBUTTONDBLCLK, 0},
                        {1999, WM_LBUTTONDOWN, 0},
                        {1999, WM_RBUTTONDOWN, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE("id " + std::to_string(row.id) + " mouse " + std::to_string(row.mouse));
        DWORD_PTR result = 77;
        ASSERT_TRUE(
            SendMessageTimeoutA(window, kTrayNotify, row.id, row.mouse, SMTO_BLOCK, 5000, &result));
        EXPECT_EQ(row.result, static_cast<LRESULT>(result));
    }
    Sleep(200);
    EXPECT_FALSE(IsShown(window)) << "an ignored notification showed the window";
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, kTrayNotify, kTrayIcon, WM_LBUTTONDOWN, SMTO_BLOCK,
                                    5000, &result));
    EXPECT_EQ(1u, result);
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); }));
}

TEST_F(ShellTest, RightClickWhileHiddenShowsOnlyTheMenu) {
    StartVisible();
    HideAndWait();
    ASSERT_TRUE(OpenTrayMenu(window)) << "no menu appeared";
    Sleep(200);
    EXPECT_FALSE(IsShown(window)) << "the command window showed with the menu";

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !MenuShown(app.Pid()); })) << "Esc did not close the menu";
    EXPECT_FALSE(IsShown(window));
    EXPECT_TRUE(app.Running());
}

TEST_F(ShellTest, TrayMenuItemsChosenByKeyboard) {
    StartVisible();
    HideAndWait();
    // "&Open" is the default item and the first; "&Close" ends the program.
    ASSERT_TRUE(OpenTrayMenu(window));
    PressKey('O');
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); })) << "'O' in the menu did not open";

    ASSERT_TRUE(OpenTrayMenu(window));
    PressKey('C');
    DWORD code = 12345;
    EXPECT_TRUE(app.WaitExit(kWaitMs, &code)) << "'C' in the menu did not end the program";
    EXPECT_EQ(0u, code);
}

TEST_F(ShellTest, SystemMenuCommandsActLikeTheTrayMenu) {
    StartVisible();
    // The relabelled close item hides.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsShown(window); }));
    EXPECT_TRUE(app.Running());

    // The appended "&Close" arrives as WM_SYSCOMMAND 2002 and ends the program.
    const int icons = TrayIconCount();
    PostMessageA(window, WM_SYSCOMMAND, kClose, 0);
    DWORD code = 12345;
    ASSERT_TRUE(app.WaitExit(kWaitMs, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(icons - 1, TrayIconCount());
}

TEST_F(ShellTest, CloseEndsWithZeroAndRemovesTheTrayIcon) {
    const int iconsBefore = TrayIconCount();
    StartVisible();
    ASSERT_EQ(iconsBefore + 1, TrayIconCount());
    PostCommand(window, kClose);
    DWORD code = 12345;
    ASSERT_TRUE(app.WaitExit(kWaitMs, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(iconsBefore, TrayIconCount());
    EXPECT_EQ(nullptr, FindWindowA("Zantrel", nullptr));
}

TEST_F(ShellTest, QueryEndSessionAnswersOneAndKeepsRunning) {
    StartVisible();
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 5000, &result));
    EXPECT_EQ(1u, result);
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(IsShown(window));
}

TEST_F(ShellTest, TrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
    StartVisible();
    const int icons = TrayIconCount();
    // What a restarted shell sees: our icon is gone, then "TaskbarCreated" is broadcast.
    NOTIFYICONDATAA data;
    ZeroMemory(&data, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = kTrayIcon;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() == icons - 1; }));
    SendMessageTimeoutA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_BLOCK, 5000,
                        nullptr);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == icons; }))
        << "icons now " << TrayIconCount() << ", expected " << icons;
}

}  // namespace
