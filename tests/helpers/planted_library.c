/* A library that does nothing: the Win32 tests find it beside the test program, where a
   copy of the program unpacked into a download folder might find a planted one. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
