#include "ui/system_library_win.h"

#include "state/text.h"

HMODULE LoadSystemLibrary(const char* name) {
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return library;
    }
    // Windows 7 without update KB2533623 refuses the flag: name the file by its full path
    // instead, and let its own dependencies be looked for in the system folder too.
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !AppendText(path, "\\", sizeof path) ||
        !AppendText(path, name, sizeof path)) {
        return nullptr;
    }
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC FindSystemFunction(const char* library, const char* function) {
    HMODULE module = LoadSystemLibrary(library);
    if (module == nullptr) {
        return nullptr;
    }
    FARPROC address = GetProcAddress(module, function);
    if (address == nullptr) {
        FreeLibrary(module);
    }
    return address;
}

void RestrictLibrarySearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    typedef BOOL(WINAPI * SetSearchPathModeFunction)(DWORD);
    // kernel32 is in every process: these look up functions that older versions lack.
    SystemFunction<SetDefaultDllDirectoriesFunction> setDefaultDllDirectories(
        "kernel32.dll", "SetDefaultDllDirectories");
    SystemFunction<SetSearchPathModeFunction> setSearchPathMode("kernel32.dll",
                                                                "SetSearchPathMode");
    if (const auto onlySystemFolder = setDefaultDllDirectories.Get()) {
        if (onlySystemFolder(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            return;
        }
    }
    SetDllDirectoryA("");
    if (const auto safeMode = setSearchPathMode.Get()) {
        safeMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
    }
}
