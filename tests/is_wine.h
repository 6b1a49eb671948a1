// Whether a test runs under Wine rather than on Windows: Wine's ntdll exports
// wine_get_version, which Windows' does not. Where the two differ, a test expects each its
// own value, as Wine's own tests mark such differences.
#pragma once

#include <windows.h>

inline bool IsWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
