#include "state/state_win.h"

#include "res/resource.h"
#include "state/process_win.h"

void FillHistoryList() {
    // Resetting the list also empties the box's edit field.
    SendDlgItemMessageA(g_app.window, IDC_COMMAND_BOX, CB_RESETCONTENT, 0, 0);
    for (const char* slot : g_state.history.Slots) {
        if (slot[0] != '\0') {
            SendDlgItemMessageA(g_app.window, IDC_COMMAND_BOX, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(slot));
        }
    }
}

void ShowNewHistoryEntry(bool lastDropped) {
    HWND box = GetDlgItem(g_app.window, IDC_COMMAND_BOX);
    SendMessageA(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(g_state.history.Slots[0]));
    if (lastDropped) {
        SendMessageA(box, CB_DELETESTRING, SendMessageA(box, CB_GETCOUNT, 0, 0) - 1, 0);
    }
    // As after a refill, no entry is chosen: Down in the box starts again from the top.
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void ClearHistory() {
    EmptyHistory(g_state.history);
    ClearPicks(g_state.picks);
    FillHistoryList();
}
