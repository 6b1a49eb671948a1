#include "ui/system_library_win.h"

HMODULE LoadSystemLibrary(const char* name) {
    HMODULE library = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
        return library;
    }
    // Windows 7 without update KB2533623 refuses the flag: name the file by its full path
    // instead, and let its own dependencies be looked for in the system folder too.
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + static_cast<UINT>(lstrlenA(name)) >= MAX_PATH) {
        return nullptr;
    }
    path[length] = '\\';
    lstrcpyA(path + length + 1, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// A function of kernel32 that older versions of Windows lack; null there.
template <typename Function>
Function KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel == nullptr
               ? nullptr
               : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

}  // namespace

void RestrictLibrarySearch() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    typedef BOOL(WINAPI * SetSearchPathModeFunction)(DWORD);
    const auto setDefaultDllDirectories =
        KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    if (setDefaultDllDirectories != nullptr &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    SetDllDirectoryA("");
    const auto setSearchPathMode = KernelFunction<SetSearchPathModeFunction>("SetSearchPathMode");
    if (setSearchPathMode != nullptr) {
        setSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
    }
}
