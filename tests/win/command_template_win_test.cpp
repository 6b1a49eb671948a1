// Template 101, the command window, read back from the resources field by field.
#include <gtest/gtest.h>

#include "dialog_template.h"
#include "res/resource.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateItem;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST(CommandTemplate, MatchesTheWindowTable) {
    DialogTemplate dialog;
    ASSERT_TRUE(wintest::ReadDialogTemplate(IDD_COMMAND, &dialog));
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER |
                                 DS_SETFONT),
              dialog.style);
    EXPECT_EQ(static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW),
              dialog.exStyle);
    EXPECT_EQ("Zantrel", dialog.caption);
    EXPECT_EQ("ZANTREL", dialog.windowClass);
    EXPECT_EQ("", dialog.menu);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ("MS Sans Serif", dialog.font);
    EXPECT_EQ(222, dialog.cx);
    EXPECT_EQ(22, dialog.cy);

    const TemplateItem expected[] = {
        {IDC_COMMAND_BOX, "COMBOBOX", "",
         kChild | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 4, 5, 200, 60},
        {IDOK, "BUTTON", ">", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 206, 6, 12, 10},
    };
    ASSERT_EQ(std::size(expected), dialog.items.size());
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        EXPECT_EQ(expected[i], dialog.items[i]) << "control " << i + 1;
    }
}

}  // namespace
