// Templates 105 and 106, the alias editors, read back from the resources field by field:
// one layout, two captions.
#include <gtest/gtest.h>

#include "dialog_template.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateItem;

// Ids are written as numbers, so that a wrong identifier in the resource header fails too.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kNone = 0xFFFFFFFF;  // the id of a control nobody addresses (extended)
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kField = kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;

struct EditorCase {
    const char* label;
    int id;
    const char* caption;
};

void PrintTo(const EditorCase& editor, std::ostream* out) {
    *out << editor.label;
}

class AliasTemplateTest : public ::testing::TestWithParam<EditorCase> {};

TEST_P(AliasTemplateTest, MatchesTheEditorTable) {
    // At (0, 0) and without DS_CENTER: placed on the owner's client area.
    DialogTemplate expected = wintest::ProgramDialog(
        true, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, WS_EX_ACCEPTFILES,
        GetParam().caption, 186, 116);
    expected.items = {
        {IDOK, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 141, 11, 38,
         12},
        {IDCANCEL, "BUTTON", "Cancel", kButton, 0, 141, 25, 38, 12},
        {kNone, "STATIC", "Alias name", kLabel, 0, 7, 7, 35, 8},
        {1013, "EDIT", "", kField, 0, 7, 16, 114, 14},
        {kNone, "STATIC", "Command", kLabel, 0, 7, 34, 32, 8},
        {1027, "EDIT", "", kField, 0, 7, 43, 138, 14},
        {1015, "BUTTON", "...", kButton, 0, 149, 44, 20, 12},
        {kNone, "STATIC", "Start path", kLabel, 0, 7, 60, 32, 8},
        {1034, "EDIT", "", kField, 0, 7, 69, 138, 14},
        {1021, "BUTTON", "...", kButton, 0, 149, 70, 20, 12},
        {kNone, "BUTTON", "Window", kChild | BS_GROUPBOX, 0, 7, 84, 172, 25},
        {1022, "BUTTON", "Normal", kRadio | WS_GROUP, 0, 13, 95, 38, 10},
        {1023, "BUTTON", "Maximized", kRadio, 0, 65, 95, 49, 10},
        {1024, "BUTTON", "Minimized", kRadio, 0, 128, 95, 47, 10},
    };
    wintest::ExpectTemplate(GetParam().id, expected);
}

const EditorCase kEditors[] = {
    {"NewAlias", 105, "New Alias"},
    {"EditAlias", 106, "Edit Alias"},
};

INSTANTIATE_TEST_SUITE_P(Editors, AliasTemplateTest, ::testing::ValuesIn(kEditors),
                         [](const ::testing::TestParamInfo<EditorCase>& info) {
                             return std::string(info.param.label);
                         });

}  // namespace
