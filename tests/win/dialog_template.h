// Reads a dialog template of this executable's resources back into plain values, classic
// (DLGTEMPLATE) and extended (DLGTEMPLATEEX) alike, so that tests can compare every field
// of a template with what the dialog must be.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace wintest {

struct TemplateItem {
    DWORD id;
    // Window class in capitals (class names compare without case): "BUTTON", "EDIT", ...
    std::string kind;
    std::string text;  // the label, or "#N" for a resource ordinal (an icon's id)
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;

    bool operator==(const TemplateItem& o) const {
        return id == o.id && kind == o.kind && text == o.text && style == o.style &&
               exStyle == o.exStyle && x == o.x && y == o.y && cx == o.cx && cy == o.cy;
    }
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu;
    std::string windowClass;  // in capitals
    std::string caption;
    WORD pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

// False when the executable has no dialog resource `id` or it cannot be read.
bool ReadDialogTemplate(int id, DialogTemplate* out);

// The header of one of the program's dialogs, all of which use "MS Sans Serif" 8 pt, at
// (0, 0), with no menu and no window class; the controls are left to the caller.
DialogTemplate ProgramDialog(bool extended, DWORD style, DWORD exStyle, const std::string& caption,
                             short cx, short cy);

// Reads template `id` and compares it with `expected` field by field: the header, the number
// of controls, then each control in order. Every difference is a test failure that names
// the field or the control.
void ExpectTemplate(int id, const DialogTemplate& expected);

std::ostream& operator<<(std::ostream& out, const TemplateItem& item);

}  // namespace wintest
