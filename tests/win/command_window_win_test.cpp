// The command window built in this process from the program's own resources: its
// template, its menus (which no other process can read) and its placement rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_window.h"
#include "res/resource.h"
#include "state/process_win.h"

namespace {

struct MenuItem {
    UINT id;
    std::string text;
    bool operator==(const MenuItem& other) const { return id == other.id && text == other.text; }
};

std::ostream& operator<<(std::ostream& out, const MenuItem& item) {
    return out << "{" << item.id << ", \"" << item.text << "\"}";
}

std::vector<MenuItem> Items(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        items.push_back({GetMenuItemID(menu, i), text});
    }
    return items;
}

class CommandWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { RegisterCommandWindowClass(GetModuleHandleA(nullptr)); }

    void SetUp() override {
        window = CreateCommandWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(nullptr, window) << "error " << GetLastError();
        g_app.window = window;
    }

    void TearDown() override {
        DestroyWindow(window);
        g_app.window = nullptr;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {  // the quit message it posts
        }
    }

    HWND window = nullptr;
};

TEST_F(CommandWindowTest, TemplateMakesAHiddenToolWindowWithComboAndButton) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    EXPECT_STREQ("Zantrel", name);
    EXPECT_FALSE(IsWindowVisible(window));
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof(caption));
    EXPECT_STREQ("Zantrel", caption);

    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_CAPTION | WS_SYSMENU),
              style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(static_cast<LONG>(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME),
              exStyle & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME));

    HWND combo = GetDlgItem(window, IDC_COMMAND_BOX);
    ASSERT_NE(nullptr, combo);
    const LONG comboStyle = GetWindowLongA(combo, GWL_STYLE);
    EXPECT_EQ(CBS_DROPDOWN, comboStyle & 3);
    EXPECT_TRUE(comboStyle & CBS_AUTOHSCROLL);
    EXPECT_FALSE(comboStyle & CBS_SORT);
    EXPECT_TRUE(comboStyle & WS_TABSTOP);

    HWND button = GetDlgItem(window, IDOK);
    ASSERT_NE(nullptr, button);
    char label[8] = "";
    GetWindowTextA(button, label, sizeof(label));
    EXPECT_STREQ(">", label);
    EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(button, GWL_STYLE) & 0x0F);
}

// A shared load hands back the image of the icon cached first, here the class's large one,
// whatever size is asked for (on Windows; Wine matches the size): the tray icon is its own.
// The icon holds an image of the small-icon size in 32-bit colour, so that none is scaled:
// at 144 DPI, where scripts/test.sh runs this test again with ZANTREL_DPI=144, 24 pixels.
// The class's small icon has that size too.
TEST_F(CommandWindowTest, TrayIconIsAnImageOfItsOwnAtTheSmallIconSize) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    if (const char* dpi = std::getenv("ZANTREL_DPI")) {
        ASSERT_EQ(size, MulDiv(16, std::atoi(dpi), 96)) << "the prefix's LogPixels";
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const HICON icon = LoadTrayIcon(instance);
    EXPECT_NE(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_ZANTREL), IMAGE_ICON, size, size, LR_SHARED),
        icon);
    for (HICON shown : {icon, reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM))}) {
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(shown, &info));
        BITMAP bitmap;
        GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(size, bitmap.bmWidth);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    DestroyIcon(icon);
    HRSRC group = FindResourceA(instance, MAKEINTRESOURCEA(IDI_ZANTREL), RT_GROUP_ICON);
    const int id = LookupIconIdFromDirectoryEx(
        static_cast<PBYTE>(LockResource(LoadResource(instance, group))), TRUE, size, size, 0);
    const auto* image = static_cast<const BITMAPINFOHEADER*>(LockResource(
        LoadResource(instance, FindResourceA(instance, MAKEINTRESOURCEA(id), RT_ICON))));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size, image->biWidth);
    EXPECT_EQ(32, image->biBitCount);
}

TEST_F(CommandWindowTest, TrayMenuHasSixItemsWithOpenAsDefault) {
    HMENU menu = CreatePopupMenuItems();
    ASSERT_NE(nullptr, menu);
    const std::vector<MenuItem> expected = {{ID_OPEN, "&Open"},         {IDCANCEL, "&Hide"},
                                            {ID_SETTINGS, "&Settings"}, {ID_HELP, "H&elp"},
                                            {ID_ABOUT, "&About"},       {ID_CLOSE, "&Close"}};
    EXPECT_EQ(expected, Items(menu));
    EXPECT_EQ(0u, GetMenuDefaultItem(menu, TRUE, 0));
    DestroyMenu(menu);
}

TEST_F(CommandWindowTest, SystemMenuHidesInsteadOfClosingAndOffersTheCommands) {
    ExtendSystemMenu(window);
    HMENU menu = GetSystemMenu(window, FALSE);
    char text[64] = "";
    GetMenuStringA(menu, SC_CLOSE, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_STREQ("&Hide\tEsc", text);
    std::vector<MenuItem> items = Items(menu);
    ASSERT_GE(items.size(), 4u);
    const std::vector<MenuItem> appended(items.end() - 4, items.end());
    const std::vector<MenuItem> expected = {
        {ID_SETTINGS, "&Settings"}, {ID_HELP, "H&elp"}, {ID_ABOUT, "&About"}, {ID_CLOSE, "&Close"}};
    EXPECT_EQ(expected, appended);
}

TEST_F(CommandWindowTest, MovesAreRecordedAndOtherChangesKeepThePosition) {
    g_state.settings.LocX = 1;
    g_state.settings.LocY = 2;
    SetWindowPos(window, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(123, g_state.settings.LocX);
    EXPECT_EQ(45, g_state.settings.LocY);
    // A change that says SWP_NOMOVE carries no position, whatever its x and y hold.
    WINDOWPOS pos = {window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW};
    SendMessageA(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(123, g_state.settings.LocX);
    EXPECT_EQ(45, g_state.settings.LocY);
}

struct PlaceCase {
    int x, y, expectedX, expectedY;
};

TEST_F(CommandWindowTest, PlacementFallsBackOnlyWhenNothingWouldBeVisible) {
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const PlaceCase cases[] = {{10, 20, 10, 20},
                               {-5000, -5000, 300, 200},
                               {width + 10, 0, 300, 200},
                               {-50, 0, -50, 0},
                               {width - 5, 5, width - 5, 5}};
    for (const PlaceCase& c : cases) {
        PlaceWindow(window, c.x, c.y);
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(c.expectedX, rect.left) << "saved " << c.x << "," << c.y;
        EXPECT_EQ(c.expectedY, rect.top) << "saved " << c.x << "," << c.y;
    }
}

}  // namespace
