// Every text label of the program's dialogs, measured in the font the dialog is drawn with,
// fits its field: a static control wraps words or cuts the text, so a label wider than its
// field loses its end ("Default start" for "Default start path"). The widths are those of
// "MS Sans Serif" 8 pt as Windows draws it; under Wine they need Wine's own metric-compatible
// font in the prefix (scripts/wine-env.sh puts it there).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "case_name.h"
#include "res/resource.h"

namespace {

struct DialogCase {
    const char* name;
    int templateId;
};

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class DialogLabels : public ::testing::TestWithParam<DialogCase> {};

TEST_P(DialogLabels, EachLabelFitsItsField) {
    InitCommonControls();  // the Settings dialog's hot-key field
    HWND dialog = CreateDialogParamA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(GetParam().templateId), nullptr, QuietProc, 0);
    ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
    int measured = 0;
    for (HWND label = GetWindow(dialog, GW_CHILD); label != nullptr;
         label = GetWindow(label, GW_HWNDNEXT)) {
        char kind[32] = "";
        char text[128] = "";
        GetClassNameA(label, kind, sizeof(kind));
        GetWindowTextA(label, text, sizeof(text));
        const LONG type = GetWindowLongA(label, GWL_STYLE) & SS_TYPEMASK;
        if (lstrcmpiA(kind, "Static") != 0 || type != SS_LEFT || text[0] == '\0') {
            continue;
        }
        HDC dc = GetDC(label);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        RECT field;
        GetClientRect(label, &field);
        EXPECT_LE(size.cx, field.right) << "\"" << text << "\"";
        EXPECT_LE(size.cy, field.bottom) << "\"" << text << "\"";
        ++measured;
    }
    EXPECT_GT(measured, 0) << "no label found";
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(ProgramDialogs, DialogLabels,
                         ::testing::Values(DialogCase{"About", IDD_ABOUT},
                                           DialogCase{"Settings", IDD_SETTINGS},
                                           DialogCase{"AliasEditor", IDD_NEW_ALIAS}),
                         [](const auto& info) { return case_name::FromTitle(info.param.name); });

}  // namespace
