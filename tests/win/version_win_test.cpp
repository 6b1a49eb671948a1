// The version of the built zantrel.exe beside this test program, as Windows reads it: the
// numbers and texts of its version block and the identity in its manifest all follow the
// one version of the build (project() in CMakeLists.txt).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "zantrel_version.h"

namespace {

std::string ProgramPath() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/")) + "\\zantrel.exe";
}

// "1.23" as the four numbers Windows keeps: 1, 23, 0, 0.
std::vector<unsigned> FourNumbers(const char* version) {
    unsigned part[4] = {0, 0, 0, 0};
    std::sscanf(version, "%u.%u.%u.%u", &part[0], &part[1], &part[2], &part[3]);
    return {part[0], part[1], part[2], part[3]};
}

std::string StringValue(std::vector<char>& block, const char* name) {
    char* text = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    return VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)
               ? text
               : "<none>";
}

TEST(ProgramVersion, VersionBlockCarriesTheBuildsVersion) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(ProgramPath().c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << ProgramPath() << ": no version block";
    ASSERT_TRUE(GetFileVersionInfoA(ProgramPath().c_str(), 0, static_cast<DWORD>(block.size()),
                                    block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const std::vector<unsigned> expected = FourNumbers(ZANTREL_VERSION);
    for (DWORD packed : {fixed->dwFileVersionMS, fixed->dwProductVersionMS}) {
        EXPECT_EQ(expected[0], HIWORD(packed));
        EXPECT_EQ(expected[1], LOWORD(packed));
    }
    for (DWORD packed : {fixed->dwFileVersionLS, fixed->dwProductVersionLS}) {
        EXPECT_EQ(expected[2], HIWORD(packed));
        EXPECT_EQ(expected[3], LOWORD(packed));
    }
    EXPECT_EQ(ZANTREL_VERSION, StringValue(block, "FileVersion"));
    EXPECT_EQ(ZANTREL_VERSION, StringValue(block, "ProductVersion"));
}

TEST(ProgramVersion, ManifestIdentityCarriesTheBuildsVersion) {
    HMODULE program = LoadLibraryExA(ProgramPath().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, program) << ProgramPath() << ": error " << GetLastError();
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), RT_MANIFEST);
    std::string manifest;
    if (found != nullptr) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
        manifest.assign(bytes, SizeofResource(program, found));
    }
    FreeLibrary(program);
    const std::vector<unsigned> n = FourNumbers(ZANTREL_VERSION);
    char identity[128];
    std::snprintf(identity, sizeof(identity), "name=\"Corvath.Zantrel\" version=\"%u.%u.%u.%u\"",
                  n[0], n[1], n[2], n[3]);
    EXPECT_NE(std::string::npos, manifest.find(identity)) << manifest;
}

}  // namespace
