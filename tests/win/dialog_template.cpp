#include "dialog_template.h"

namespace wintest {
namespace {

// Walks the template's bytes; every read stays inside the resource.
class Reader {
  public:
    Reader(const BYTE* begin, DWORD size) : begin_(begin), at_(begin), end_(begin + size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Take() {
        T value{};
        if (end_ - at_ < static_cast<std::ptrdiff_t>(sizeof(T))) {
            ok_ = false;
            return value;
        }
        CopyMemory(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }

    // A UTF-16 string ended by 0; the program's texts are plain ASCII.
    std::string String() {
        std::string text;
        for (WORD c = Take<WORD>(); ok_ && c != 0; c = Take<WORD>()) {
            text += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return text;
    }

    // Nothing, an ordinal ("#N", or a predefined class's name) or a string.
    std::string StringOrOrdinal(bool isClass) {
        const WORD first = Take<WORD>();
        if (first == 0) {
            return "";
        }
        if (first == 0xFFFF) {
            const WORD ordinal = Take<WORD>();
            static const char* const kClasses[] = {"BUTTON",  "EDIT",      "STATIC",
                                                   "LISTBOX", "SCROLLBAR", "COMBOBOX"};
            if (isClass && ordinal >= 0x80 && ordinal <= 0x85) {
                return kClasses[ordinal - 0x80];
            }
            return "#" + std::to_string(ordinal);
        }
        at_ -= sizeof(WORD);
        return String();
    }

    void AlignToDword() {
        while ((at_ - begin_) % 4 != 0 && at_ < end_) {
            ++at_;
        }
    }

    void Skip(WORD bytes) {
        if (end_ - at_ < bytes) {
            ok_ = false;
            return;
        }
        at_ += bytes;
    }

  private:
    const BYTE* begin_;
    const BYTE* at_;
    const BYTE* end_;
    bool ok_ = true;
};

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

void ReadItem(Reader& in, bool extended, TemplateItem* item) {
    in.AlignToDword();
    if (extended) {
        in.Take<DWORD>();  // help id
        item->exStyle = in.Take<DWORD>();
        item->style = in.Take<DWORD>();
    } else {
        item->style = in.Take<DWORD>();
        item->exStyle = in.Take<DWORD>();
    }
    item->x = in.Take<short>();
    item->y = in.Take<short>();
    item->cx = in.Take<short>();
    item->cy = in.Take<short>();
    item->id = extended ? in.Take<DWORD>() : in.Take<WORD>();
    item->kind = in.StringOrOrdinal(true);
    if (item->kind[0] != '#') {
        item->kind = Upper(item->kind);  // a class given by name, such as msctls_hotkey32
    }
    item->text = in.StringOrOrdinal(false);
    in.Skip(in.Take<WORD>());  // creation data
}

}  // namespace

bool ReadDialogTemplate(int id, DialogTemplate* out) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (found == nullptr) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* bytes =
        loaded != nullptr ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr) {
        return false;
    }
    Reader in(bytes, SizeofResource(module, found));
    *out = DialogTemplate();
    WORD count;
    const WORD version = in.Take<WORD>();
    const WORD signature = in.Take<WORD>();
    out->extended = version == 1 && signature == 0xFFFF;
    if (out->extended) {
        in.Take<DWORD>();  // help id
        out->exStyle = in.Take<DWORD>();
        out->style = in.Take<DWORD>();
    } else {
        out->style = MAKELONG(version, signature);
        out->exStyle = in.Take<DWORD>();
    }
    count = in.Take<WORD>();
    out->x = in.Take<short>();
    out->y = in.Take<short>();
    out->cx = in.Take<short>();
    out->cy = in.Take<short>();
    out->menu = in.StringOrOrdinal(false);
    out->windowClass = Upper(in.StringOrOrdinal(false));
    out->caption = in.String();
    if (out->style & (DS_SETFONT | DS_SHELLFONT)) {
        out->pointSize = in.Take<WORD>();
        if (out->extended) {
            in.Take<WORD>();  // weight
            in.Take<BYTE>();  // italic
            in.Take<BYTE>();  // character set
        }
        out->font = in.String();
    }
    out->items.resize(count);
    for (TemplateItem& item : out->items) {
        ReadItem(in, out->extended, &item);
    }
    return in.ok();
}

TemplateHeader HeaderOf(const DialogTemplate& d) {
    return {d.extended, d.style,     d.exStyle, d.caption, d.windowClass,
            d.menu,     d.pointSize, d.font,    d.cx,      d.cy};
}

std::ostream& operator<<(std::ostream& out, const TemplateHeader& h) {
    return out << "{" << (h.extended ? "extended" : "classic") << ", style 0x" << std::hex
               << h.style << ", ex 0x" << h.exStyle << std::dec << ", \"" << h.caption
               << "\", class \"" << h.windowClass << "\", menu \"" << h.menu << "\", "
               << h.pointSize << " pt \"" << h.font << "\", " << h.cx << " x " << h.cy << "}";
}

std::ostream& operator<<(std::ostream& out, const TemplateItem& item) {
    return out << "{id " << item.id << ", " << item.kind << " \"" << item.text << "\", style 0x"
               << std::hex << item.style << ", ex 0x" << item.exStyle << std::dec << ", at ("
               << item.x << ", " << item.y << ") " << item.cx << " x " << item.cy << "}";
}

}  // namespace wintest
