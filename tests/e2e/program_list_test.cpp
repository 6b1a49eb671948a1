// Installed programs in the suggestion list, through real key presses: shortcuts that the
// shell made in the prefix's own Start menu and an App Paths key, found by a few letters of
// their names and started as Start starts them; a shortcut added or removed while the program
// runs, seen at the next call-up. (Under Wine 8 a watch of a tree misses changes inside
// subfolders that existed when it began: the changes here are at the top of the Start menu.)
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "program_test.h"
#include "shell_link.h"

using namespace e2e;

namespace {

const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\zantreltool.exe";

std::wstring Wide(const std::string& text) {
    WCHAR wide[MAX_PATH * 2] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH * 2);
    return wide;
}

class ProgramListTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MakeReturningUser();
        ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", 1002));  // Stay
        CoInitialize(nullptr);
        char programs[MAX_PATH] = "";
        ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
        programs_ = programs;
    }
    void TearDown() override {
        app.Kill();
        for (const std::string& link : links_) {
            DeleteFileA(link.c_str());
        }
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppPaths);
        CoUninitialize();
    }

    // A shortcut at the top of the user's Start menu to the recorder, writing `record`.
    std::string AddShortcut(const std::string& name, const std::string& record,
                            const std::string& folder) {
        const std::string link = programs_ + "\\" + name + ".lnk";
        links_.push_back(link);
        EXPECT_EQ(
            test_links::SaveShortcut(Wide(link), Wide(ExeDir() + "\\recorder.exe"),
                                     Wide("\"" + record + "\" from-the-shortcut"), Wide(folder)),
            S_OK);
        return link;
    }

    std::vector<std::string> Listed() { return SuggestionTexts(app.Pid()); }

    // Calls the window up, types `text` into the emptied box and waits until the list holds
    // `name` (or, `present` false, until it shows without it); up to `ms`, typing again.
    bool Lists(const std::string& text, const std::string& name, bool present, DWORD ms) {
        return WaitUntil(
            [&] {
                PostCommand(window, 2001);  // ID_OPEN
                WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; });
                SetComboText(window, "");
                TypeText(text);
                WaitUntil([&] { return ComboText(window) == text; }, 1000);  // every key taken
                std::vector<std::string> seen;
                WaitUntil([&] { return !(seen = Listed()).empty(); }, 1000);
                const bool there = std::find(seen.begin(), seen.end(), name) != seen.end();
                PressKey(VK_ESCAPE);
                return there == present && !seen.empty();
            },
            ms);
    }

    std::string programs_;
    std::vector<std::string> links_;
};

// Found by initials, started by Enter as its shortcut starts it: the shortcut's arguments and
// start folder; the history keeps the name.
TEST_F(ProgramListTest, ShortcutFoundByLettersAndStartedAsItsShortcut) {
    TestFolder folder("program-list");
    const std::string record = folder / "record.txt";
    AddShortcut("Zantrel Test Recorder", record, folder.Path());
    Start();
    ASSERT_TRUE(Lists("ztrec", "Zantrel Test Recorder", true, 15000)) << "not listed";
    SetComboText(window, "");
    TypeText("ztrec");
    ASSERT_TRUE(WaitUntil([&] { return !Listed().empty(); }));
    EXPECT_EQ(Listed().front(), "Zantrel Test Recorder");
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the shortcut did not run";
    const Record ran = ReadRecord(record);
    EXPECT_NE(ran.commandLine.find("from-the-shortcut"), std::string::npos) << ran.commandLine;
    EXPECT_EQ(ran.directory, folder.Path());
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<std::string> history = ComboItems(window);
        return !history.empty() && history.front() == "Zantrel Test Recorder";
    })) << "not in the history as its name";
}

// A shortcut added while the program runs is listed at a later call-up, and gone once removed;
// an App Paths name is found without its ".exe".
TEST_F(ProgramListTest, ChangesSeenAtTheNextCallUpAndAppPathsNamesFound) {
    const std::string target = ExeDir() + "\\recorder.exe";
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kAppPaths, nullptr, REG_SZ, target.c_str(),
                         static_cast<DWORD>(target.size() + 1)));
    // Something else to list, so that a list shows while the shortcut is not there.
    ASSERT_TRUE(SetStoredAlias(0, "zlateness", "notepad.exe", "C:\\", 0));
    Start();
    EXPECT_TRUE(Lists("zantreltoo", "zantreltool", true, 15000)) << "App Paths name";
    ASSERT_TRUE(Lists("zlate", "Zantrel Late Arrival", false, 5000));
    TestFolder folder("program-late");
    const std::string link = AddShortcut("Zantrel Late Arrival", folder / "r.txt", folder.Path());
    EXPECT_TRUE(Lists("zlate", "Zantrel Late Arrival", true, 15000)) << "the added shortcut";
    ASSERT_TRUE(DeleteFileA(link.c_str()));
    EXPECT_TRUE(Lists("zlate", "Zantrel Late Arrival", false, 15000)) << "the removed shortcut";
}

}  // namespace
