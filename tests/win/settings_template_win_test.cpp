// Template 103, the Settings dialog, read back from the resources field by field.
#include <gtest/gtest.h>

#include "dialog_template.h"

namespace {

using wintest::DialogTemplate;
using wintest::TemplateItem;

// Ids are written as numbers, so that a wrong identifier in the resource header fails too.
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kNone = 0xFFFF;  // the id of a control nobody addresses, in a plain template
constexpr DWORD kRadio = kChild | BS_AUTORADIOBUTTON;
constexpr DWORD kButton = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;

TEST(SettingsTemplate, MatchesTheDialogTable) {
    // A plain template, not an extended one.
    DialogTemplate expected = wintest::ProgramDialog(
        false, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT, 0,
        "Zantrel Settings", 220, 153);
    expected.items = {
        {IDOK, "BUTTON", "OK", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 138, 134, 35,
         12},
        {IDCANCEL, "BUTTON", "Cancel", kButton, 0, 178, 134, 35, 12},
        {kNone, "BUTTON", "After Command", kChild | BS_GROUPBOX, 0, 7, 7, 65, 45},
        {1001, "BUTTON", "Hide", kRadio | WS_GROUP, 0, 13, 16, 31, 10},
        {1002, "BUTTON", "Stay", kRadio, 0, 13, 27, 30, 10},
        {1003, "BUTTON", "Close", kRadio, 0, 13, 39, 33, 10},
        {kNone, "BUTTON", "Startup", kChild | BS_GROUPBOX, 0, 7, 52, 65, 44},
        {1005, "BUTTON", "Hidden", kRadio | WS_GROUP, 0, 13, 62, 39, 10},
        {1006, "BUTTON", "Open", kRadio, 0, 13, 73, 33, 10},
        {1004, "BUTTON", "Start on boot", kChild | BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0, 13,
         84, 57, 10},
        {kNone, "STATIC", "HotKey", kLabel, 0, 7, 98, 24, 8},
        {1012, "MSCTLS_HOTKEY32", "", kChild | WS_BORDER | WS_TABSTOP, 0, 7, 107, 80, 14},
        {kNone, "STATIC", "Default start path", kLabel, 0, 7, 123, 55, 8},
        {1034, "EDIT", "", kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 7, 132, 80, 14},
        {kNone, "BUTTON", "Aliases", kChild | BS_GROUPBOX | WS_GROUP, 0, 77, 7, 136, 90},
        {1007, "LISTBOX", "",
         kChild | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER |
             WS_TABSTOP,
         0, 82, 16, 82, 75},
        {1008, "BUTTON", "New", kButton, 0, 167, 16, 40, 12},
        {1009, "BUTTON", "&Edit", kButton, 0, 167, 31, 40, 12},
        {1010, "BUTTON", "&Delete", kButton, 0, 167, 46, 40, 12},
        {1025, "BUTTON", "Import", kButton, 0, 167, 64, 40, 12},
        {1026, "BUTTON", "Export", kButton, 0, 167, 79, 40, 12},
        {1018, "BUTTON", "Clear History", kButton, 0, 163, 107, 50, 12},
        {1031, "BUTTON", "&Help", kButton, 0, 98, 134, 35, 12},
    };
    wintest::ExpectTemplate(103, expected);
}

}  // namespace
