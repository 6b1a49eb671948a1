#include "state/state_win.h"

#include "state/process_win.h"

void FillAliasListBox(HWND listBox) {
    SendMessageA(listBox, LB_RESETCONTENT, 0, 0);
    for (const AliasRecord* record = FirstAlias(g_state.aliases); record != nullptr;
         record = record->Next) {
        SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record->Name));
    }
}
