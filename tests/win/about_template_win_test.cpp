// Template 104, the About box, read back from the resources field by field. (Its labels are
// measured with the other dialogs' in dialog_labels_win_test.cpp.)
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
        EXPECT_NE(static_cast<DWORD>(IDOK), item.id) << "no control may carry IDOK: " << item.text;
    }
}

}  // namespace
