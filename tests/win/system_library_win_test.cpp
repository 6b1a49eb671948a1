// Libraries named without a path: a copy of the program in a folder anyone can write to
// (Downloads) must not load one planted beside it. planted_library.dll lies beside this test
// program as such a planted file would.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/system_library_win.h"

namespace {

TEST(RestrictLibrarySearch, PlantedLibraryBesideTheProgramIsNotLoadedByName) {
    // Without the restriction the search begins in the program's folder.
    HMODULE planted = LoadLibraryA("planted_library.dll");
    ASSERT_NE(planted, nullptr) << "planted_library.dll beside the test program, error "
                                << GetLastError();
    FreeLibrary(planted);
    ASSERT_EQ(GetModuleHandleA("planted_library.dll"), nullptr);

    RestrictLibrarySearch();
    planted = LoadLibraryA("planted_library.dll");
    const DWORD error = GetLastError();
    EXPECT_EQ(planted, nullptr) << "loaded from beside the program";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    HMODULE system = LoadLibraryA("version.dll");
    EXPECT_NE(system, nullptr) << "a library of the system folder, error " << GetLastError();

    if (planted != nullptr) {
        FreeLibrary(planted);
    }
    if (system != nullptr) {
        FreeLibrary(system);
    }
    // The other tests search as before, the program's folder included.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

}  // namespace
