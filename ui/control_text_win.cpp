#include "ui/control_text_win.h"

#include "state/text.h"

void ReadControlText(HWND dialog, int id, char* text, std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    // Room for the longest text the program keeps and one more character: whatever the
    // control does at the end of this buffer lies beyond the cut. Zeroed, because under Wine
    // the count may take in a byte that it left unwritten.
    constexpr std::size_t kRoom = kTextBuffer + kMaxCharBytes;
    char whole[kRoom] = {};
    const std::size_t room = capacity + kMaxCharBytes;
    GetDlgItemTextA(dialog, id, whole, static_cast<int>(room < kRoom ? room : kRoom));
    CopyText(text, whole, capacity);
}
