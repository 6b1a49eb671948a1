// The alias exchange file on real Windows files: exact bytes on disk (no text-mode
// translation by the C runtime), paths with spaces, and files that cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "state/exchange_file.h"

namespace {

class ExchangeFileWinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        DWORD length = GetTempPathA(sizeof(temp), temp);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, sizeof(temp));
        dir_ = std::string(temp) + "zantrel exchange " + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS)
            << dir_ << " error " << GetLastError();
    }

    void TearDown() override {
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir_ + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string path = dir_ + "\\" + found.cFileName;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    RemoveDirectoryA(path.c_str());  // "." and ".." simply fail
                } else {
                    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(path.c_str());
                }
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
        EXPECT_TRUE(RemoveDirectoryA(dir_.c_str())) << dir_ << " error " << GetLastError();
    }

    std::string PathOf(const char* name) const { return dir_ + "\\" + name; }

    // The names of the folder's files, each followed by a space.
    std::string Files() const {
        std::string files;
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            files += entry.path().filename().string() + " ";
        }
        return files;
    }

    static std::string ReadBytes(const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return "<cannot open>";
        }
        std::string bytes;
        char block[4096];
        DWORD got = 0;
        while (ReadFile(file, block, sizeof(block), &got, nullptr) && got > 0) {
            bytes.append(block, got);
        }
        CloseHandle(file);
        return bytes;
    }

    static void WriteBytes(const std::string& path, const std::string& bytes) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << " error " << GetLastError();
        DWORD written = 0;
        EXPECT_TRUE(
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        EXPECT_EQ(written, bytes.size());
        CloseHandle(file);
    }

    static std::string Describe(const AliasList& list) {
        std::string out;
        for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
            out += std::string("{") + r->Name + "|" + r->Command + "|" + r->StartPath + "|" +
                   std::to_string(r->WindowState) + "}";
        }
        return out;
    }

    std::string dir_;
};

const char kTwoAliases[] =
    "Zantrel Alias Data\r\nVersion 1.23\r\n[Alias 0]\r\ned\r\nnotepad.exe\r\nC:\\\r\n1\r\n"
    "[Alias 1]\r\ncalc\r\ncalc.exe\r\nC:\\Windows\r\n0";

TEST_F(ExchangeFileWinTest, RoundTripThroughAPathWithSpaces) {
    AliasList source;
    ASSERT_TRUE(AddAlias(source, "ed", "notepad.exe", "C:\\", 1));
    ASSERT_TRUE(AddAlias(source, "calc", "calc.exe", "C:\\Windows", 0));
    std::string path = PathOf("my aliases.dat");
    ASSERT_TRUE(ExportAliases(source, path.c_str())) << path;
    // The C runtime must not turn the line breaks into CR CR LF or drop anything.
    EXPECT_EQ(ReadBytes(path), std::string(kTwoAliases));

    ASSERT_TRUE(AddAlias(source, "caf\xC3\xA9 & more", "\"C:\\Program Files\\x.exe\" /a * b.exe",
                         "C:\\Program Files", 4294967295u));
    ASSERT_TRUE(AddAlias(source, "five", "", "D:\\with space\\", 5));
    ASSERT_TRUE(ExportAliases(source, path.c_str()));
    AliasList target;
    ASSERT_TRUE(ImportAliases(target, path.c_str())) << path;
    EXPECT_EQ(Describe(target), Describe(source));
}

TEST_F(ExchangeFileWinTest, ImportReadsCrLfAndCtrlZAsText) {
    std::string path = PathOf("written elsewhere.dat");
    WriteBytes(path, std::string(kTwoAliases) + "\x1A\r\n[Alias 2]\r\nlate\r\nx\r\ny\r\n2");
    AliasList list;
    ASSERT_TRUE(ImportAliases(list, path.c_str()));
    EXPECT_EQ(Describe(list), "{ed|notepad.exe|C:\\|1}{calc|calc.exe|C:\\Windows|0}");
}

TEST_F(ExchangeFileWinTest, ReadOnlyFileMakesExportFalseAndStaysUnchanged) {
    std::string path = PathOf("read only.dat");
    WriteBytes(path, kTwoAliases);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << GetLastError();
    // Wine keeps the attribute as the Unix write permission, which root ignores: there the
    // file stays writable, and scripts/test.sh runs this case again as an ordinary user.
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "read-only files are writable here (Wine run by root)";
    }
    AliasList list;
    ASSERT_TRUE(AddAlias(list, "other", "other.exe", "", 2));
    EXPECT_FALSE(ExportAliases(list, path.c_str()));
    EXPECT_EQ(ReadBytes(path), std::string(kTwoAliases));

    // Reading it is still allowed.
    AliasList imported;
    EXPECT_TRUE(ImportAliases(imported, path.c_str()));
    EXPECT_EQ(Describe(imported), "{ed|notepad.exe|C:\\|1}{calc|calc.exe|C:\\Windows|0}");
}

TEST_F(ExchangeFileWinTest, PathsThatCannotBeOpenedGiveFalse) {
    struct Case {
        const char* label;
        std::string path;
    };
    const Case cases[] = {
        {"missing folder", PathOf("no such folder\\aliases.dat")},
        {"a folder", dir_},
        {"bad name", PathOf("bad?name.dat")},
    };
    for (const Case& c : cases) {
        AliasList list;
        ASSERT_TRUE(AddAlias(list, "ed", "notepad.exe", "C:\\", 1)) << c.label;
        EXPECT_FALSE(ExportAliases(list, c.path.c_str())) << c.label << ": " << c.path;
        EXPECT_FALSE(ImportAliases(list, c.path.c_str())) << c.label << ": " << c.path;
        EXPECT_EQ(Describe(list), "{ed|notepad.exe|C:\\|1}") << c.label;
    }
    EXPECT_EQ(GetFileAttributesA(PathOf("no such folder").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ExchangeFileWinTest, FileThatAnotherProgramHoldsOpenIsReplacedOnlyOnceLetGo) {
    // The export writes a new file and puts it in the place of the old one, which Windows
    // refuses while another program has the old one open without sharing its deletion
    // (Wine does the same): the export fails, and the file keeps its bytes, with nothing
    // left beside it. A program that lets go within a moment only delays it.
    std::string path = PathOf("shared.dat");
    WriteBytes(path, "old");
    const auto openReader = [&] {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE reader = openReader();
    ASSERT_NE(reader, INVALID_HANDLE_VALUE) << GetLastError();
    AliasList list;
    EXPECT_FALSE(ExportAliases(list, path.c_str()));
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(Files(), "shared.dat ");

    reader = openReader();
    std::thread letGo([reader] {
        Sleep(100);
        CloseHandle(reader);
    });
    EXPECT_TRUE(ExportAliases(list, path.c_str()));
    letGo.join();
    EXPECT_EQ(ReadBytes(path), "Zantrel Alias Data\r\nVersion 1.23");
}

TEST_F(ExchangeFileWinTest, ReplacedFileKeepsItsAttributes) {
    std::string path = PathOf("hidden.dat");
    WriteBytes(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN)) << GetLastError();
    AliasList list;
    ASSERT_TRUE(ExportAliases(list, path.c_str()));
    EXPECT_EQ(ReadBytes(path), "Zantrel Alias Data\r\nVersion 1.23");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Files(), "hidden.dat ") << "the old file set aside is left";
}

}  // namespace
