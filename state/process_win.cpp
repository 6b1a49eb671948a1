#include "state/process_win.h"

#include "state/text.h"

AppHandles g_app;
AppState g_state;

int ShowMessage(HWND owner, const char* text, UINT flags) {
    return MessageBoxA(owner, text, "Zantrel", flags);
}
