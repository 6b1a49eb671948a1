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

void ClearHistory() {
    EmptyHistory(g_state.history);
    ClearPicks(g_state.picks);
    FillHistoryList();
}
