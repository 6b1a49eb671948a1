// The program index on real folders, shortcuts made by the shell and App Paths keys of the
// test's own; the watch of its thread; starting its programs.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "programs/programs_win.h"
#include "shell_link.h"

namespace {

const char kKey[] = "Software\\Corvath Software\\Zantrel tests\\Programs";

bool IsWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::wstring Wide(const std::string& text) {
    WCHAR wide[1024];
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 1024);
    return wide;
}

std::string ExeDir() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n).substr(0, std::string(path, n).find_last_of('\\'));
}

// A folder tree under %TEMP% with the two Start menus, and two App Paths keys of the test.
class ProgramsWin : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "zantrel programs " + std::to_string(GetCurrentProcessId());
        std::filesystem::create_directories(dir_ + "\\User");
        std::filesystem::create_directories(dir_ + "\\Common");
        // As on Windows, the App Paths keys may be missing, but not the key above them.
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegCloseKey(key);
        places_ = ProgramPlaces{};
        const std::string user = dir_ + "\\User", common = dir_ + "\\Common";
        lstrcpyA(places_.userPrograms, user.c_str());
        lstrcpyA(places_.commonPrograms, common.c_str());
        lstrcpyA(places_.userStartup, (user + "\\Startup").c_str());
        places_.userAppPathsRoot = places_.machineAppPathsRoot = HKEY_CURRENT_USER;
        lstrcpyA(places_.userAppPaths, (std::string(kKey) + "\\User").c_str());
        lstrcpyA(places_.machineAppPaths, (std::string(kKey) + "\\Machine").c_str());
        CoInitialize(nullptr);
    }
    void TearDown() override {
        StopProgramIndex();
        CoUninitialize();
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        std::error_code error;
        std::filesystem::remove_all(L"\\\\?\\" + Wide(dir_), error);
        EXPECT_FALSE(error) << error.message();
    }

    std::string Path(const std::string& relative) const { return dir_ + "\\" + relative; }

    // A shortcut made and saved by the shell, to the test recorder.
    void Shortcut(const std::string& relative, const std::string& arguments = "",
                  const std::string& folder = "") {
        std::filesystem::create_directories(
            std::filesystem::path(Wide(Path(relative))).parent_path());
        EXPECT_EQ(test_links::SaveShortcut(Wide(Path(relative)), Wide(ExeDir() + "\\recorder.exe"),
                                           Wide(arguments), Wide(folder)),
                  S_OK)
            << relative;
    }

    void File(const std::string& relative, const std::string& bytes, DWORD attributes = 0) {
        std::filesystem::create_directories(
            std::filesystem::path(Wide(Path(relative))).parent_path());
        std::ofstream(std::filesystem::path(Wide(Path(relative))), std::ios::binary) << bytes;
        if (attributes != 0) {
            SetFileAttributesW(Wide(Path(relative)).c_str(), attributes);
        }
    }

    // An App Paths key of the user's (`machine` false) or the machine's test key.
    void AppPath(bool machine, const char* name, DWORD type, const std::string& program,
                 const char* folder = nullptr) {
        HKEY key = nullptr;
        const std::string path = std::string(kKey) + (machine ? "\\Machine\\" : "\\User\\") + name;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (type != REG_NONE) {
            RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(program.data()),
                           static_cast<DWORD>(program.size()));
        }
        if (folder != nullptr) {
            RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                           lstrlenA(folder) + 1);
        }
        RegCloseKey(key);
    }

    // "name = target" of every program, in name order.
    static std::vector<std::string> Programs(const ProgramIndex* index) {
        std::vector<std::string> found;
        for (int i = 0; i < ProgramCount(index); ++i) {
            char target[kTextBuffer];
            ProgramTarget(index, i, target, sizeof target);
            found.push_back(std::string(ProgramName(index, i)) + " = " + target +
                            (ProgramStartFolder(index, i)[0]
                                 ? std::string(" in ") + ProgramStartFolder(index, i)
                                 : ""));
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    std::string dir_;
    ProgramPlaces places_;
};

TEST_F(ProgramsWin, WalkAndAppPathsFindTheNamesStartShows) {
    Shortcut("User\\Tool.lnk");
    File("User\\Web.url", "[InternetShortcut]\r\nURL=http://localhost/\r\n");
    File("User\\Click.appref-ms", "");
    File("User\\notes.txt", "");
    File("User\\Hidden.lnk", "", FILE_ATTRIBUTE_HIDDEN);
    Shortcut("User\\System\\In.lnk");
    SetFileAttributesW(Wide(Path("User\\System")).c_str(), FILE_ATTRIBUTE_SYSTEM);
    Shortcut("User\\Startup\\Boot.lnk");
    Shortcut("User\\" + std::string(200, 'd') + "\\" + std::string(60, 'n') + ".lnk");
    Shortcut("User\\Sub\\Deep.lnk");
    Shortcut("User\\Sub\\Res.lnk");
    const std::u16string ini =
        u"\xFEFF[LocalizedFileNames]\r\nDeep.lnk=Tief \u00FC\r\n"
        u"Res.lnk=@%SystemRoot%\\system32\\shell32.dll,-8964\r\n";
    File("User\\Sub\\desktop.ini",
         std::string(reinterpret_cast<const char*>(ini.data()), 2 * ini.size()),
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Shortcut("Common\\TOOL.lnk");
    Shortcut("Common\\Only.lnk");
    AppPath(false, "editor.exe", REG_EXPAND_SZ, "\"%SystemRoot%\\notepad.exe\"", "C:\\");
    AppPath(false, "number.exe", REG_DWORD, std::string(4, '\1'));
    AppPath(false, "empty.exe", REG_SZ, "");
    AppPath(false, "none.exe", REG_NONE, "", "C:\\");
    AppPath(true, "long.exe", REG_SZ, std::string(300, 'x'));
    AppPath(true, "unended.exe", REG_SZ, "C:\\u.exe");  // stored without its terminator
    AppPath(true, "only.exe", REG_SZ, std::string("C:\\o.exe") + '\0');

    ProgramIndex* index = BuildProgramIndexAt(places_);
    WCHAR trash[100] = L"";
    LoadStringW(LoadLibraryExA("shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), 8964, trash, 100);
    char resource[kTextBuffer];
    ASSERT_TRUE(WideToText(trash, resource, sizeof resource));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::vector<std::string> expected = {
        "Click = " + Path("User\\Click.appref-ms"),
        "Only = " + Path("Common\\Only.lnk"),
        "Tief \xC3\xBC = " + Path("User\\Sub\\Deep.lnk"),
        "Tool = " + Path("User\\Tool.lnk"),
        "Web = " + Path("User\\Web.url"),
        std::string(resource) + " = " + Path("User\\Sub\\Res.lnk"),
        "editor = " + std::string(windows) + "\\notepad.exe in C:\\",
        "unended = C:\\u.exe"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Programs(index), expected);
    FreeProgramIndex(index);
}

// Wine lists no Store apps (its Applications folder parses, but does not list); Windows 10
// and 11 list their packaged apps under their AppUserModelIDs.
TEST_F(ProgramsWin, StoreAppsFoundByTheirIdsOrNoneUnderWine) {
    places_.storeApps = true;
    ProgramIndex* index = BuildProgramIndexAt(places_);
    ASSERT_NE(index, nullptr);
    if (IsWine()) {
        EXPECT_EQ(ProgramCount(index), 0);
    }
    for (int i = 0; i < ProgramCount(index); ++i) {
        char id[kTextBuffer];
        ProgramTarget(index, i, id, sizeof id);
        EXPECT_EQ(ProgramSourceOf(index, i), ProgramSource::kStoreApp) << ProgramName(index, i);
        EXPECT_NE(std::string(id).find('!'), std::string::npos) << id;
    }
    FreeProgramIndex(index);
}

// Waits up to 20 s for the published index to hold `name` (or, `present` false, not to).
bool Published(const char* name, bool present) {
    ProgramSnapshot programs;
    for (int i = 0; i < 200; ++i, Sleep(100), programs.Refresh()) {
        if (programs.Index() != nullptr && (FindProgram(programs.Index(), name) >= 0) == present) {
            return true;
        }
    }
    return false;
}

// Changes at the top of each Start menu (a watch of a whole tree under Wine 8 misses those in
// the subfolders that existed when it began) and in App Paths reach the published index.
TEST_F(ProgramsWin, ChangesReachTheIndexWithoutBeingAskedFor) {
    Shortcut("User\\First.lnk");
    StartProgramIndexAt(places_);
    ASSERT_TRUE(Published("First", true));
    Shortcut("User\\Added.lnk");
    Shortcut("Common\\Other.lnk");
    EXPECT_TRUE(Published("Added", true));
    EXPECT_TRUE(Published("Other", true));
    MoveFileA(Path("Common\\Other.lnk").c_str(), Path("Common\\Renamed.lnk").c_str());
    EXPECT_TRUE(Published("Renamed", true));
    EXPECT_TRUE(Published("Other", false));
    DeleteFileA(Path("User\\First.lnk").c_str());
    EXPECT_TRUE(Published("First", false));
    AppPath(false, "later.exe", REG_SZ, "C:\\later.exe");
    EXPECT_TRUE(Published("later", true));
    AppPath(true, "machine.exe", REG_SZ, "C:\\machine.exe");
    EXPECT_TRUE(Published("machine", true));
}

// What the recorder wrote into `file`, "" when nothing came within 20 s.
std::string Record(const std::string& file) {
    for (int i = 0; i < 200; ++i, Sleep(100)) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (in && !text.str().empty()) {
            return text.str();
        }
    }
    return "";
}

TEST_F(ProgramsWin, ProgramsStartAsStartStartsThem) {
    std::filesystem::create_directories(Path("in here"));
    Shortcut("User\\Rec.lnk", "\"" + Path("lnk.txt") + "\" one two", Path("in here"));
    Shortcut("User\\Raised.lnk", "\"" + Path("runas.txt") + "\"", Path("in here"));
    const std::string recorder = ExeDir() + "\\recorder.exe";
    AppPath(false, "recorder.exe", REG_SZ, recorder, Path("in here").c_str());
    AppPath(false, "plain.exe", REG_SZ, recorder);
    places_.storeApps = false;
    ProgramIndex* index = BuildProgramIndexAt(places_);

    ProgramLaunch started = LaunchProgram(index, FindProgram(index, "rec"), false, "");
    EXPECT_EQ(started.outcome, ProgramStart::kStarted) << started.shellCode;
    std::string record = Record(Path("lnk.txt"));
    EXPECT_NE(record.find("one two"), std::string::npos) << record;
    EXPECT_NE(record.find("cwd=" + Path("in here")), std::string::npos) << record;

    started = LaunchProgram(index, FindProgram(index, "raised"), true, "");
    EXPECT_EQ(started.outcome, ProgramStart::kStarted) << started.shellCode;
    record = Record(Path("runas.txt"));
    EXPECT_NE(record.find("cwd=" + Path("in here")), std::string::npos) << record;

    // The App Paths programs get no arguments: the recorder then writes where it runs.
    std::filesystem::create_directories(Path("given"));
    EXPECT_EQ(LaunchProgram(index, FindProgram(index, "recorder"), false, "C:\\").outcome,
              ProgramStart::kStarted);
    EXPECT_NE(Record(Path("in here\\recorded.txt")), "");
    EXPECT_EQ(
        LaunchProgram(index, FindProgram(index, "plain"), true, Path("given").c_str()).outcome,
        ProgramStart::kStarted);
    EXPECT_NE(Record(Path("given\\recorded.txt")), "");
    FreeProgramIndex(index);
}

}  // namespace
