/* A library that the Win32 tests find beside them, as one planted beside the program. */
__declspec(dllexport) int planted(void) { return 1; }
