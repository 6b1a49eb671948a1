// Template 101, the command window, read back from the resources field by field.
#include <gtest/gtest.h>

#include "dialog_template.h"
#include "res/resource.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateItem;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST(CommandTemplate, MatchesTheWindowTable) {
    DialogTemplate expected = wintest::ProgramDialog(
        true, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
        WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW, "Zantrel", 222, 22);
    expected.windowClass = "ZANTREL";
    expected.items = {
        {IDC_COMMAND_BOX, "COMBOBOX", "",
         kChild | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 4, 5, 200, 60},
        {IDOK, "BUTTON", ">", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 206, 6, 12, 10},
    };
    wintest::ExpectTemplate(IDD_COMMAND, expected);
}

}  // namespace
