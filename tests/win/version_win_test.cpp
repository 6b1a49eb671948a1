// The built zantrel.exe beside this test program carries the build's one version (project()
// in CMakeLists.txt) in its version block, numbers and texts, and in its manifest's identity.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "zantrel_version.h"

namespace {

TEST(ProgramVersion, VersionBlockAndManifestCarryTheBuildsVersion) {
    char path[MAX_PATH];
    std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    program = program.substr(0, program.find_last_of("\\/")) + "\\zantrel.exe";
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(program.c_str(), &ignored));
    ASSERT_FALSE(block.empty()) << program << ": no version block";
    ASSERT_TRUE(
        GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char* text = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(
            VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length));
        EXPECT_STREQ(ZANTREL_VERSION, text) << name;
    }
    // "1.23" as four numbers: 1.23.0.0.
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    char four[64];
    std::snprintf(four, sizeof(four), "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(0u, (std::string(four) + ".").rfind(ZANTREL_VERSION ".", 0)) << four;
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);

    HMODULE image = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, image) << "error " << GetLastError();
    HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(1), RT_MANIFEST);
    const std::string manifest =
        found == nullptr
            ? "<none>"
            : std::string(static_cast<const char*>(LockResource(LoadResource(image, found))),
                          SizeofResource(image, found));
    FreeLibrary(image);
    EXPECT_NE(std::string::npos,
              manifest.find("name=\"Corvath.Zantrel\" version=\"" + std::string(four) + "\""))
        << manifest;
}

}  // namespace
