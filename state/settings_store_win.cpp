#include "state/state_win.h"

#include "res/resource.h"
#include "state/process_win.h"
#include "state/registry_win.h"
#include "state/settings_store.h"
#include "state/text.h"

namespace {

// The folder that holds the running program, without a trailing backslash; empty when
// it cannot be told.
void ProgramFolder(char* folder, DWORD capacity) {
    folder[0] = '\0';
    const DWORD length = GetModuleFileNameA(nullptr, folder, capacity);
    if (length == 0 || length >= capacity) {
        folder[0] = '\0';  // the path did not fit: better none than a wrong one
        return;
    }
    const char* slash = TextFindLastOf(folder, "\\");
    if (slash != nullptr) {
        folder[slash - folder] = '\0';
    } else {
        folder[0] = '\0';
    }
}

}  // namespace

void ResetAndLoadState() {
    char windowsDirectory[kTextBuffer] = "";
    const UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof(windowsDirectory));
    if (length == 0 || length >= sizeof(windowsDirectory)) {
        windowsDirectory[0] = '\0';
    }
    char exeFolder[MAX_PATH + 1];
    ProgramFolder(exeFolder, sizeof(exeFolder));

    WinRegistry registry;
    ResetAndLoad(registry, g_state, windowsDirectory, exeFolder);

    const WORD hotKey = g_state.settings.HotKey;
    if (hotKey != 0 && !RegisterProgramHotKey(hotKey)) {
        ShowMessage(g_app.window, "Error registering HotKey.", MB_ICONERROR | MB_OK);
    }
}

bool RegisterProgramHotKey(WORD hotKey) {
    return RegisterHotKey(g_app.window, HOTKEY_ID, HotKeyModifiers(HIBYTE(hotKey)),
                          LOBYTE(hotKey)) != FALSE;
}

bool SaveState() {
    WinRegistry registry;
    return SaveState(registry, g_state);
}
