#include "state/process_win.h"

#include "state/text.h"

AppHandles g_app;
AppState g_state;

int ShowMessage(HWND owner, const char* text, UINT flags) {
    return MessageBoxA(owner, text, "Zantrel", flags);
}

void ReadItemText(HWND dialog, int id, char* text, int capacity) {
    if (capacity <= 0) {
        return;
    }
    // Room for the longest text the field keeps and one more character: whatever the control
    // does at the end of this buffer lies beyond the cut. Zeroed, because under Wine the count
    // may take in a byte that it left unwritten.
    constexpr int kRoom = kTextBuffer + kMaxCharBytes;
    char whole[kRoom] = {};
    const int room = capacity + kMaxCharBytes;
    GetDlgItemTextA(dialog, id, whole, room < kRoom ? room : kRoom);
    CopyText(text, whole, static_cast<std::size_t>(capacity));
}
