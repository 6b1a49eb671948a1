// A copy of the program in a folder anyone can write to (Downloads) must not load a library
// planted beside it: planted_library.dll lies beside this test program as one would.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/system_library_win.h"

namespace {

TEST(RestrictLibrarySearch, PlantedLibraryBesideTheProgramIsNotLoadedByName) {
    HMODULE planted = LoadLibraryA("planted_library.dll");  // searched beside the program first
    ASSERT_NE(planted, nullptr) << "error " << GetLastError();
    FreeLibrary(planted);
    RestrictLibrarySearch();
    planted = LoadLibraryA("planted_library.dll");
    EXPECT_EQ(planted, nullptr) << "loaded from beside the program";
    HMODULE system = LoadLibraryA("version.dll");
    EXPECT_NE(system, nullptr) << "a library of the system folder, error " << GetLastError();
    FreeLibrary(system);
    FreeLibrary(planted);
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);  // as before for the other tests
}

}  // namespace
