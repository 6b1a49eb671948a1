// Template 104, the About box, read back from the resources field by field, and the maker
// line measured in the font the box is drawn with.
#include <gtest/gtest.h>

#include <string>

#include "dialog_template.h"
#include "res/resource.h"
#include "zantrel_version.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateItem;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kNoId = 0xFFFF;  // -1 in a classic template's 16-bit item id
constexpr size_t kMakerLine = 4;

TEST(AboutTemplate, MatchesTheAboutBoxTable) {
    DialogTemplate dialog;
    ASSERT_TRUE(wintest::ReadDialogTemplate(IDD_ABOUT, &dialog));
    ASSERT_EQ(5u, dialog.items.size());
    // The maker line's wording is ours to choose; it must name the maker.
    const std::string maker = dialog.items[kMakerLine].text;
    EXPECT_NE(std::string::npos, maker.find("Corvath Software")) << maker;
    EXPECT_NE(std::string::npos, maker.find("Copyright")) << maker;

    DialogTemplate expected = wintest::ProgramDialog(
        false, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT, 0,
        "About Zantrel", 160, 50);
    expected.items = {
        {IDCANCEL, "BUTTON", "OK", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 82, 31, 68, 12},
        {IDC_LICENSE, "BUTTON", "License Agreement", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 10, 31,
         68, 12},
        {kNoId, "STATIC", "#" + std::to_string(IDI_ZANTREL), kChild | SS_ICON, 0, 7, 7, 20, 20},
        {kNoId, "STATIC", "Version " ZANTREL_VERSION, kChild | SS_LEFT | WS_GROUP, 0, 31, 8, 40, 8},
        {kNoId, "STATIC", maker, kChild | SS_LEFT | WS_GROUP, 0, 31, 16, 122, 8},
    };
    wintest::ExpectTemplate(IDD_ABOUT, expected);
    for (const TemplateItem& item : dialog.items) {
        EXPECT_NE(static_cast<DWORD>(IDOK), item.id) << "no control may carry IDOK";
    }
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The static control wraps words: a maker line wider than its one-line field would lose
// its end.
TEST(AboutTemplate, MakerLineFitsItsField) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT),
                                     nullptr, QuietProc, 0);
    ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
    HWND maker = GetWindow(dialog, GW_CHILD);
    for (size_t i = 0; i < kMakerLine && maker != nullptr; ++i) {
        maker = GetWindow(maker, GW_HWNDNEXT);
    }
    ASSERT_NE(nullptr, maker);
    char text[128] = "";
    GetWindowTextA(maker, text, sizeof(text));
    HDC dc = GetDC(maker);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(maker, WM_GETFONT, 0, 0)));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(maker, dc);
    RECT field;
    GetClientRect(maker, &field);
    EXPECT_LE(size.cx, field.right) << "\"" << text << "\"";
    EXPECT_LE(size.cy, field.bottom) << "\"" << text << "\"";
    DestroyWindow(dialog);
}

}  // namespace
