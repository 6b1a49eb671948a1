// The session operation with the request itself replaceable, so that the real token
// steps can be exercised without ending the session.
#pragma once

#include <windows.h>

#include <cstdint>

typedef BOOL(WINAPI* ExitWindowsFunction)(UINT flags, DWORD reason);

// SessionCommand with `exitWindows` in place of ExitWindowsEx.
bool SessionCommandWith(std::uint32_t flags, ExitWindowsFunction exitWindows);
