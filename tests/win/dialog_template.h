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

// The template's own fields (all but its controls and its position), to compare in one go.
struct TemplateHeader {
    bool extended;
    DWORD style;
    DWORD exStyle;
    std::string caption;
    std::string windowClass;  // in capitals
    std::string menu;
    WORD pointSize;
    std::string font;
    short cx, cy;

    bool operator==(const TemplateHeader& o) const {
        return extended == o.extended && style == o.style && exStyle == o.exStyle &&
               caption == o.caption && windowClass == o.windowClass && menu == o.menu &&
               pointSize == o.pointSize && font == o.font && cx == o.cx && cy == o.cy;
    }
};

// False when the executable has no dialog resource `id` or it cannot be read.
bool ReadDialogTemplate(int id, DialogTemplate* out);

TemplateHeader HeaderOf(const DialogTemplate& dialog);

std::ostream& operator<<(std::ostream& out, const TemplateItem& item);
std::ostream& operator<<(std::ostream& out, const TemplateHeader& header);

}  // namespace wintest
