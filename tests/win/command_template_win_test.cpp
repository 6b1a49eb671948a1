// Template 101, the command window, read back from the resources field by field.
#include <gtest/gtest.h>

#include "dialog_template.h"
#include "res/resource.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateHeader;
using wintest::TemplateItem;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST(CommandTemplate, MatchesTheWindowTable) {
    DialogTemplate dialog;
    ASSERT_TRUE(wintest::ReadDialogTemplate(IDD_COMMAND, &dialog));
    const TemplateHeader header = {
        true,  // extended
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
        WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW,
        "Zantrel",  // caption
        "ZANTREL",  // the program's own window class
        "",         // no menu
        8,
        "MS Sans Serif",
        222,
        22,
    };
    EXPECT_EQ(header, HeaderOf(dialog));

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
