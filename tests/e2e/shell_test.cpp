// The running program as the user and the system reach it: a second start, the tray
// icon and its menu, the system menu, keys, the end of the program and of the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "harness.h"

using namespace e2e;

namespace {

constexpr WORD kOpen = 2001;
constexpr WORD kClose = 2002;

// A notification area that is not ready, as at logon before the taskbar: a window of the
// class to which Shell_NotifyIcon sends its requests, made after the shell's own and so
// found first, that refuses every icon until told otherwise. Its own thread answers, while
// the test waits for the program.
class UnreadyTray {
  public:
    UnreadyTray() {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready_, kWaitMs);
    }
    ~UnreadyTray() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread_, kWaitMs);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    UnreadyTray(const UnreadyTray&) = delete;
    UnreadyTray& operator=(const UnreadyTray&) = delete;

    bool Made() const { return window_ != nullptr; }
    LONG Adds() const { return adds_; }  // NIM_ADD requests seen
    void Accept() { accept_ = true; }

  private:
    static DWORD WINAPI Run(void* self) {
        UnreadyTray& tray = *static_cast<UnreadyTray*>(self);
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        tray.window_ = CreateWindowExA(0, "Shell_TrayWnd", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                       nullptr, wc.hInstance, &tray);
        SetEvent(tray.ready_);
        MSG msg;
        while (tray.window_ != nullptr && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageA(&msg);
        }
        UnregisterClassA("Shell_TrayWnd", wc.hInstance);
        return 0;
    }
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        }
        auto* tray = reinterpret_cast<UnreadyTray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && tray != nullptr) {
            const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (request->dwData != NIM_ADD) {
                return TRUE;
            }
            InterlockedIncrement(&tray->adds_);
            return tray->accept_ ? TRUE : FALSE;
        }
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    HWND window_ = nullptr;
    volatile LONG adds_ = 0;
    volatile bool accept_ = false;
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
    ASSERT_TRUE(tray.Made());
    const unsigned char hotKey[2] = {VK_F7, 0x02 | 0x04};  // Control+Alt+F7
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    StartVisible();
    ASSERT_TRUE(WaitUntil([&] { return tray.Adds() >= 1; })) << "no icon was asked for";
    EXPECT_TRUE(NoMessageBox(app.Pid()));
    HideAndWait();
    PressKeys({VK_CONTROL, VK_MENU}, VK_F7);
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); })) << "the hot key did nothing";
    HideAndWait();
    Program second;
    ASSERT_TRUE(second.Start());
    DWORD code = 12345;
    EXPECT_TRUE(second.WaitExit(kWaitMs, &code) && code == 0) << "the second start, " << code;
    EXPECT_TRUE(WaitUntil([&] { return ReadyForTyping(); })) << "the second start did nothing";

    tray.Accept();
    const LONG adds = tray.Adds();
    SendMessageTimeoutA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_BLOCK, 5000,
                        nullptr);
    EXPECT_EQ(tray.Adds(), adds + 1) << "no icon added for \"TaskbarCreated\"";
    EXPECT_TRUE(app.Running());
    app.Kill();  // before the tray goes: no try of the program may reach the shell's own
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

BOOL CALLBACK CollectTrayIcon(HWND window, LPARAM icons) {
    if (ClassOf(window) == "__winex11_tray_icon") {
        reinterpret_cast<std::vector<HWND>*>(icons)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    if (HWND tray = FindWindowA("__winex11_standalone_tray", nullptr)) {
        EnumChildWindows(tray, CollectTrayIcon, reinterpret_cast<LPARAM>(&icons));
    }
    return icons;
}

// The image of `size` pixels that zantrel.exe's icon holds, as it is stored: null when the
// best match for that size has another size.
HICON StoredIconImage(int size, int* storedSize) {
    HMODULE exe = LoadLibraryExA((ExeDir() + "\\zantrel.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC group =
        exe != nullptr ? FindResourceA(exe, MAKEINTRESOURCEA(102), RT_GROUP_ICON) : nullptr;
    HICON icon = nullptr;
    if (group != nullptr) {
        const int id = LookupIconIdFromDirectoryEx(
            static_cast<PBYTE>(LockResource(LoadResource(exe, group))), TRUE, size, size, 0);
        HRSRC image = FindResourceA(exe, MAKEINTRESOURCEA(id), RT_ICON);
        auto* bits =
            image != nullptr ? static_cast<PBYTE>(LockResource(LoadResource(exe, image))) : nullptr;
        *storedSize = bits != nullptr ? reinterpret_cast<BITMAPINFOHEADER*>(bits)->biWidth : 0;
        if (*storedSize == size) {
            icon = CreateIconFromResourceEx(bits, SizeofResource(exe, image), TRUE, 0x00030000,
                                            size, size, 0);
        }
    }
    if (exe != nullptr) {
        FreeLibrary(exe);
    }
    return icon;
}

// How many pixels of `icon`, drawn at its size on the background of `area` (screen
// coordinates), differ from what the screen shows there, at the best place inside it.
int PixelsApart(HICON icon, int size, const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HBITMAP shotBitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldShot = SelectObject(shot, shotBitmap);
    BitBlt(shot, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    HDC draw = CreateCompatibleDC(screen);
    HBITMAP drawBitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ oldDraw = SelectObject(draw, drawBitmap);
    HBRUSH background = CreateSolidBrush(GetPixel(shot, 0, 0));
    RECT all = {0, 0, size, size};
    FillRect(draw, &all, background);
    DrawIconEx(draw, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    int best = size * size;
    for (int top = 0; top + size <= height; ++top) {
        for (int left = 0; left + size <= width; ++left) {
            int apart = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const COLORREF a = GetPixel(draw, x, y), b = GetPixel(shot, left + x, top + y);
                    apart += std::abs(GetRValue(a) - GetRValue(b)) > 8 ||
                                     std::abs(GetGValue(a) - GetGValue(b)) > 8 ||
                                     std::abs(GetBValue(a) - GetBValue(b)) > 8
                                 ? 1
                                 : 0;
                }
            }
            best = apart < best ? apart : best;
        }
    }
    DeleteObject(background);
    SelectObject(draw, oldDraw);
    DeleteObject(drawBitmap);
    DeleteDC(draw);
    SelectObject(shot, oldShot);
    DeleteObject(shotBitmap);
    DeleteDC(shot);
    ReleaseDC(nullptr, screen);
    return best;
}

// The tray shows the icon's own image of the small-icon size, not one scaled from another
// size: 16 pixels at 96 DPI, and 24 at 144 DPI, where scripts/test.sh runs this test again
// in a prefix of its own, with ZANTREL_DPI=144.
TEST_F(ShellTest, TrayShowsTheIconsOwnImageOfTheSmallIconSize) {
    SetProcessDPIAware();  // the screen's own sizes and pixels
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    if (const char* expected = std::getenv("ZANTREL_DPI")) {
        ASSERT_EQ(dpi, std::atoi(expected)) << "the prefix's LogPixels";
    }
    const int size = GetSystemMetrics(SM_CXSMICON);
    ASSERT_EQ(size, MulDiv(16, dpi, 96));
    int storedSize = 0;
    HICON own = StoredIconImage(size, &storedSize);
    ASSERT_NE(own, nullptr) << "zantrel.ico has no image of " << size << " pixels, the nearest "
                            << storedSize;

    const std::vector<HWND> before = TrayIconWindows();
    const BYTE hide = 1;  // nothing of the program's own in front of the tray
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "Hide", REG_BINARY, &hide, 1));
    ASSERT_TRUE(app.Start());
    HWND icon = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND w : TrayIconWindows()) {
            icon = std::find(before.begin(), before.end(), w) == before.end() ? w : icon;
        }
        return icon != nullptr;
    })) << "no tray icon";
    Sleep(200);  // painted
    EXPECT_EQ(PixelsApart(own, size, WindowRect(icon)), 0)
        << size << " pixels at " << dpi << " DPI";
    DestroyIcon(own);
}

}  // namespace
