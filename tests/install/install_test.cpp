// The setup program under Wine, in a prefix of its own: a silent install, the installed
// program started from its Start menu shortcut, an upgrade over the running program and a
// silent uninstall while it runs. ZANTREL_SETUP names the setup program; the files it
// installs are those beside this test program.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "e2e/harness.h"

using namespace e2e;

namespace {

constexpr WORD kClose = 2002;
const char kMakerKey[] = "Software\\Corvath Software";
const char kMachineKey[] = "Software\\Corvath Software\\Zantrel";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zantrel";
const char kSessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char* const kFiles[] = {"zantrel.exe", "zantrel.chm", "zantrel.hlp", "license.txt"};

std::string SetupProgram() {
    const char* path = std::getenv("ZANTREL_SETUP");
    return path != nullptr ? path : "";
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string DefaultFolder() {
    return ShellFolder(CSIDL_PROGRAM_FILES) + "\\Zantrel";
}

std::string ShortcutPath() {
    return ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Zantrel.lnk";
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A machine-wide key in one registry view: KEY_WOW64_64KEY or KEY_WOW64_32KEY.
bool MachineKeyExists(const char* path, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

DWORD MachineDword(const char* path, const char* name) {
    std::vector<unsigned char> data;
    DWORD type = 0;
    DWORD value = 0;
    if (ReadBytes(HKEY_LOCAL_MACHINE, path, name, &data, &type) && type == REG_DWORD &&
        data.size() == sizeof(value)) {
        std::memcpy(&value, data.data(), sizeof(value));
    }
    return value;
}

// A text of a program's version resource ("ProductVersion", ...), or "<none>".
std::string VersionText(const std::string& program, const char* name) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
    std::vector<char> block(size);
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(program.c_str(), 0, size, block.data()) ||
        !VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(*translation)) {
        return "<none>";
    }
    char query[128];
    wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage,
              name);
    char* text = nullptr;
    if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&text), &length)) {
        return "<none>";
    }
    return text;
}

struct Shortcut {
    std::string target = "<unreadable>";
    std::string folder;
};

Shortcut ReadShortcut(const std::string& path) {
    Shortcut shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return shortcut;
    }
    IPersistFile* file = nullptr;
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    char text[MAX_PATH] = "";
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(widePath, STGM_READ)) &&
            SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) {
            shortcut.target = text;
            link->GetWorkingDirectory(text, MAX_PATH);
            shortcut.folder = text;
        }
        file->Release();
    }
    link->Release();
    return shortcut;
}

// Runs a command line and waits until it and every process it started have ended (the
// uninstaller hands its work over to a copy of itself); returns the exit code of the first.
DWORD RunAndWait(const std::string& commandLine) {
    constexpr DWORD kNotRun = 0xDEAD;
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    std::string line = commandLine;
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (job == nullptr || !CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE,
                                          CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        if (job != nullptr) {
            CloseHandle(job);
        }
        return kNotRun;
    }
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    DWORD code = kNotRun;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    }
    CloseHandle(pi.hProcess);
    const bool allEnded = WaitUntil(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
            return QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info,
                                             sizeof(info), nullptr) &&
                   info.ActiveProcesses == 0;
        },
        60000);
    CloseHandle(job);
    return allEnded ? code : kNotRun;
}

// ---- What the prefix holds: the registry keys and value names where programs and their
// setup programs write, every file outside the Windows folder.

// Below these keys only the names of the subkeys are listed: they are large, and what a
// setup program adds there (a file type, a class) is a key of its own at the top.
bool ListedShallow(const std::string& shown) {
    return shown == "HKLM\\Software\\Classes" || shown == "HKLM\\Software\\Wow6432Node\\Classes";
}

void CollectKeys(HKEY parent, const std::string& path, const std::string& shown,
                 std::set<std::string>* found) {
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return;
    }
    found->insert(shown);
    const bool shallow = ListedShallow(shown);
    DWORD subkeys = 0;
    DWORD values = 0;
    DWORD longestSubkey = 0;
    DWORD longestValue = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                     &longestValue, nullptr, nullptr, nullptr);
    std::vector<char> name(std::max(longestSubkey, longestValue) + 1);
    for (DWORD i = 0; i < values && !shallow; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
            found->insert(shown + " : " + name.data());
        }
    }
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            continue;
        }
        const std::string below = shown + "\\" + name.data();
        if (shallow) {
            found->insert(below);
        } else {
            CollectKeys(key, name.data(), below, found);
        }
    }
    RegCloseKey(key);
}

void CollectFiles(const std::string& folder, std::set<std::string>* found) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = data.cFileName;
        const std::string path = folder + "\\" + name;
        if (name == "." || name == ".." || lstrcmpiA(path.c_str(), "C:\\windows") == 0) {
            continue;
        }
        found->insert(path);
        // Not into links: Wine links the user's documents folders to the Unix home.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            CollectFiles(path, found);
        }
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

std::set<std::string> Snapshot() {
    std::set<std::string> found;
    CollectKeys(HKEY_LOCAL_MACHINE, "Software", "HKLM\\Software", &found);
    CollectKeys(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet", "HKLM\\System\\CurrentControlSet",
                &found);
    CollectKeys(HKEY_CURRENT_USER, "", "HKCU", &found);
    CollectFiles("C:", &found);
    return found;
}

std::string TempFolder() {
    char path[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, path);
    return path;
}

// The uninstaller runs from a copy of itself in the temporary folder and leaves Windows the
// deletion of that copy at its next start: true when that is all that is pending.
bool OnlyTheUninstallersCopyIsPendingDeletion() {
    std::vector<unsigned char> data;
    DWORD type = 0;
    if (!ReadBytes(HKEY_LOCAL_MACHINE, kSessionManagerKey, "PendingFileRenameOperations", &data,
                   &type)) {
        return true;
    }
    // Pairs of names, each ended by a zero: the file, and an empty name for "delete it".
    const std::string copy = "\\??\\" + TempFolder() + "~nsu";
    std::string names(data.begin(), data.end());
    for (size_t at = 0; at < names.size();) {
        const std::string file = names.c_str() + at;
        at += file.size() + 1;
        const std::string target = at < names.size() ? names.c_str() + at : "";
        at += target.size() + 1;
        if (!file.empty() && (file.rfind(copy, 0) != 0 || !target.empty())) {
            return false;
        }
    }
    return true;
}

// What a Wine prefix holds after an uninstall beyond what it held before the install: only
// the user's own settings, Wine's own records and the uninstaller's copy of itself.
std::vector<std::string> LeftBehind(const std::set<std::string>& before,
                                    const std::set<std::string>& after) {
    const std::string kept[] = {
        "HKCU\\Software\\Corvath Software",
        "HKCU\\Software\\Wine",
        TempFolder() + "~nsu",
        std::string("HKLM\\") + kSessionManagerKey + " : PendingFileRenameOperations",
    };
    std::vector<std::string> left;
    for (const std::string& entry : after) {
        bool expected = before.count(entry) != 0;
        for (const std::string& prefix : kept) {
            expected = expected || entry.rfind(prefix, 0) == 0;
        }
        if (!expected) {
            left.push_back(entry);
        }
    }
    return left;
}

// ---- The tests

class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(SetupProgram().empty()) << "ZANTREL_SETUP names no setup program";
        ASSERT_EQ(nullptr, FindWindowA("Zantrel", nullptr)) << "a zantrel.exe is still running";
        ClearProgramState();
        CoInitialize(nullptr);
    }

    void TearDown() override {
        if (app) {
            app->Kill();
        }
        // The next test finds nothing installed.
        const std::string uninstall =
            ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
        if (uninstall != "<missing>") {
            RunAndWait(uninstall);
        }
        ClearProgramState();
        CoUninitialize();
    }

    DWORD Install(const std::string& arguments = "") {
        return RunAndWait("\"" + SetupProgram() + "\" /S" + arguments);
    }

    DWORD Uninstall() {
        return RunAndWait(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
    }

    void Start(const std::string& program) {
        app = std::make_unique<Program>(program);
        ASSERT_TRUE(app->Start()) << program << ": error " << GetLastError()
                                  << (FileExists(program) ? "" : ", no such file");
        ASSERT_TRUE(WaitUntil([&] { return (window = app->Window()) != nullptr; }));
    }

    void AnswerFirstRunQuestion() {
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForMessageBox(app->Pid(), &box)) << "no first-run question";
        Answer(box, IDNO);
        ASSERT_TRUE(WaitUntil([&] { return NoMessageBox(app->Pid()); }));
    }

    // The program ended by itself, as its own Close ends it, not by force.
    void ExpectEndedByItsClose() {
        DWORD code = 12345;
        ASSERT_TRUE(app->WaitExit(kWaitMs, &code)) << "the program still runs";
        EXPECT_EQ(0u, code) << "the program was ended by force";
    }

    std::unique_ptr<Program> app;
    HWND window = nullptr;
};

TEST(SetupVersion, SetupProgramCarriesTheVersionOfTheProgram) {
    const std::string program = ExeDir() + "\\zantrel.exe";
    const std::string version = VersionText(program, "ProductVersion");
    EXPECT_EQ(version, VersionText(program, "FileVersion"));
    EXPECT_EQ(version, VersionText(SetupProgram(), "ProductVersion"));
    EXPECT_EQ(version, VersionText(SetupProgram(), "FileVersion"));
    EXPECT_NE(std::string::npos, SetupProgram().find("zantrel-" + version + "-setup.exe"))
        << SetupProgram();
}

TEST_F(InstallTest, SilentInstallPutsFilesPathEntryAndShortcutInPlace) {
    ASSERT_EQ(0u, Install());
    const std::string folder = DefaultFolder();
    DWORD bytes = 0;
    for (const char* name : kFiles) {
        const std::string built = FileBytes(ExeDir() + "\\" + name);
        EXPECT_FALSE(built.empty()) << name << " is missing from the build";
        EXPECT_TRUE(built == FileBytes(folder + "\\" + name)) << name << " differs or is missing";
        bytes += static_cast<DWORD>(built.size());
    }
    EXPECT_TRUE(FileExists(folder + "\\uninstall.exe"));

    // The test program is a 64-bit one: it reads the 64-bit view, as zantrel.exe does.
    EXPECT_EQ(folder, ReadString(HKEY_LOCAL_MACHINE, kMachineKey, "Path"));
    EXPECT_FALSE(MachineKeyExists(kMakerKey, KEY_WOW64_32KEY))
        << "written into the 32-bit view, where the program never looks";

    const std::string uninstaller = "\"" + folder + "\\uninstall.exe\"";
    const struct {
        const char* name;
        std::string value;
    } entry[] = {
        {"DisplayName", "Zantrel"},
        {"DisplayVersion", VersionText(ExeDir() + "\\zantrel.exe", "ProductVersion")},
        {"Publisher", "Corvath Software"},
        {"DisplayIcon", folder + "\\zantrel.exe"},
        {"InstallLocation", folder},
        {"UninstallString", uninstaller},
        {"QuietUninstallString", uninstaller + " /S"},
    };
    for (const auto& value : entry) {
        EXPECT_EQ(value.value, ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, value.name))
            << value.name;
    }
    // In KiB, with the uninstaller.
    EXPECT_LE(bytes / 1024, MachineDword(kUninstallKey, "EstimatedSize"));
    EXPECT_GE(bytes / 1024 + 512, MachineDword(kUninstallKey, "EstimatedSize"));
    EXPECT_FALSE(MachineKeyExists(kUninstallKey, KEY_WOW64_32KEY));

    const Shortcut shortcut = ReadShortcut(ShortcutPath());
    EXPECT_EQ(folder + "\\zantrel.exe", shortcut.target);
    EXPECT_EQ(folder, shortcut.folder);
}

TEST_F(InstallTest, ProgramStartedFromTheShortcutFindsTheChosenFolder) {
    const std::string folder = "C:\\Apps\\Zantrel Tools";
    ASSERT_EQ(0u, Install(" /D=" + folder));
    EXPECT_EQ(folder, ReadString(HKEY_LOCAL_MACHINE, kMachineKey, "Path"));
    const Shortcut shortcut = ReadShortcut(ShortcutPath());
    ASSERT_EQ(folder + "\\zantrel.exe", shortcut.target);

    Start(shortcut.target);
    AnswerFirstRunQuestion();
    PostCommand(window, kClose);
    ExpectEndedByItsClose();
    EXPECT_EQ(folder + "\\zantrel.hlp", ReadString(HKEY_CURRENT_USER, kAliasKey, "C1"))
        << "the first-start \"help\" alias";
    EXPECT_EQ("\"" + folder + "\\zantrel.exe\"", ReadString(HKEY_CURRENT_USER, kRunKey, "Zantrel"));

    ASSERT_EQ(0u, Uninstall());
    EXPECT_FALSE(FileExists(folder));
    RemoveDirectoryA("C:\\Apps");
}

TEST_F(InstallTest, UpgradeOverTheRunningProgramSavesItsStateAndReplacesTheFiles) {
    ASSERT_EQ(0u, Install());
    const std::string folder = DefaultFolder();
    // As an older version: other help and licence texts.
    WriteBytes(folder + "\\zantrel.hlp", "older help");
    WriteBytes(folder + "\\license.txt", "older licence");
    MakeReturningUser();
    Start(folder + "\\zantrel.exe");
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window); }));
    // Only the program's own ending writes its new place to the registry.
    SetWindowPos(window, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(window).left == 123; }));
    ASSERT_FALSE(ValueExists(HKEY_CURRENT_USER, kMainKey, "LocX"));

    ASSERT_EQ(0u, Install());
    ExpectEndedByItsClose();
    DWORD x = 0;
    DWORD y = 0;
    EXPECT_TRUE(ReadDword(kMainKey, "LocX", &x) && ReadDword(kMainKey, "LocY", &y));
    EXPECT_EQ(123u, x);
    EXPECT_EQ(77u, y);
    for (const char* name : kFiles) {
        EXPECT_TRUE(FileBytes(ExeDir() + "\\" + name) == FileBytes(folder + "\\" + name))
            << name << " was not replaced";
    }
}

TEST_F(InstallTest, SilentUninstallWhileRunningLeavesOnlyTheUsersSettings) {
    const std::set<std::string> before = Snapshot();
    ASSERT_EQ(0u, Install());
    const std::string folder = DefaultFolder();
    Start(ReadShortcut(ShortcutPath()).target);
    AnswerFirstRunQuestion();

    ASSERT_EQ(0u, Uninstall());
    ExpectEndedByItsClose();
    for (const char* name : kFiles) {
        EXPECT_FALSE(FileExists(folder + "\\" + name)) << name;
    }
    EXPECT_FALSE(FileExists(folder));
    EXPECT_FALSE(FileExists(ShortcutPath()));
    EXPECT_FALSE(MachineKeyExists(kMakerKey, KEY_WOW64_64KEY)) << "Path and the keys above it";
    EXPECT_FALSE(MachineKeyExists(kUninstallKey, KEY_WOW64_64KEY));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kRunKey, "Zantrel"))
        << "it would name a missing program at every logon";
    // Written by the program as it ended, and kept.
    EXPECT_EQ(folder + "\\zantrel.hlp", ReadString(HKEY_CURRENT_USER, kAliasKey, "C1"));

    // Nothing else is left of the installation.
    EXPECT_EQ(std::vector<std::string>{}, LeftBehind(before, Snapshot()));
    EXPECT_TRUE(OnlyTheUninstallersCopyIsPendingDeletion());
}

}  // namespace
