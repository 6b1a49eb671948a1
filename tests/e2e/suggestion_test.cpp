// The suggestion list of the command box, through real key presses: what it offers for an
// alias, a history entry and a path, Enter on a highlighted suggestion, and Esc.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "program_test.h"

using namespace e2e;

namespace {

class SuggestionTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        MakeReturningUser();
        ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", 1002));  // Stay
    }

    void StartReady() {
        Start();
        ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }));
    }

    // A visible top-level window of the program but the command window, a dialog or the
    // history list. (Wine's is a popup with a list box whose items cannot be read from
    // outside.)
    HWND SuggestionList() {
        for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == app.Pid() && w != window && IsWindowVisible(w) && ClassOf(w) != "#32770" &&
                ClassOf(w) != "ComboLBox") {
                return w;
            }
        }
        return nullptr;
    }

    // Types `text` at the end of the box and reads the suggestions as the user does: Down
    // puts each into the box in turn, until the typed text comes back. Sorted.
    std::vector<std::string> Suggest(const std::string& text) {
        const std::string typed = ComboText(window) + text;
        PressKey(VK_END);
        TypeText(text);
        std::vector<std::string> seen;
        WaitUntil([&] { return ComboText(window) == typed && SuggestionList() != nullptr; }, 3000);
        for (std::string before = typed; SuggestionList() != nullptr && seen.size() <= 100;) {
            PressKey(VK_DOWN);
            WaitUntil([&] { return ComboText(window) != before; }, 2000);
            if (ComboText(window) == typed || ComboText(window) == before) {
                break;
            }
            seen.push_back(before = ComboText(window));
        }
        std::sort(seen.begin(), seen.end());
        return seen;
    }
};

TEST_F(SuggestionTest, AliasNamesAndHistoryEntriesEachOnce) {
    ASSERT_TRUE(SetStoredAlias(0, "notes", "notepad.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(1, "Notepad2", "notepad.exe", "C:\\", 0));
    ASSERT_TRUE(SetString(kHistoryKey, "0", "NOTES"));
    ASSERT_TRUE(SetString(kHistoryKey, "1", "note this.txt"));
    ASSERT_TRUE(SetString(kHistoryKey, "2", "other"));
    StartReady();
    EXPECT_EQ(Suggest("nO"), (std::vector<std::string>{"Notepad2", "note this.txt", "notes"}));
    // F4 still drops the history list down, and the suggestions make way for it.
    PressKey(VK_F4);
    EXPECT_TRUE(WaitUntil([&] {
        return SendMessageA(CommandBox(window), CB_GETDROPPEDSTATE, 0, 0) && !SuggestionList();
    }));
}

TEST_F(SuggestionTest, EntriesOfTheTypedFolderAndOfTheStartFolder) {
    TestFolder folder("suggest");
    ASSERT_TRUE(WriteFile(folder / "alpha.txt", "") && WriteFile(folder / "beta.txt", ""));
    ASSERT_TRUE(CreateDirectoryA((folder / "Alps").c_str(), nullptr));
    ASSERT_TRUE(SetString(kMainKey, "StartPath", folder.Path()));
    StartReady();
    SetComboText(window, folder.Path() + "\\");
    EXPECT_EQ(Suggest("aL"), (std::vector<std::string>{folder / "Alps\\", folder / "alpha.txt"}));
    SetComboText(window, "");
    EXPECT_EQ(Suggest(".\\a"), (std::vector<std::string>{".\\Alps\\", ".\\alpha.txt"}));
}

// Esc closes the open list and leaves the window; the next Esc hides it. Hiding the window
// otherwise (the tray menu's "&Hide") takes the list with it. Enter on a highlighted
// suggestion runs it.
TEST_F(SuggestionTest, EscAndEnterWithTheListOpen) {
    TestFolder folder("suggest-keys");
    const std::string record = folder / "record.txt";
    ASSERT_TRUE(SetStoredAlias(0, "recorder", "\"" + ExeDir() + "\\recorder.exe\" " + record,
                               folder.Path(), 0));
    auto typeAndWait = [&](const char* text) {
        ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }));
        TypeText(text);
        ASSERT_TRUE(WaitUntil([&] { return SuggestionList() != nullptr; })) << "no list";
    };
    Start();
    typeAndWait("r");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return SuggestionList() == nullptr; })) << "the list stayed";
    EXPECT_FALSE(WaitUntil([&] { return !IsShown(window); }, 500))
        << "the first Esc hid the window";
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); })) << "the second Esc";

    PostCommand(window, 2001);  // ID_OPEN
    typeAndWait("e");
    PostCommand(window, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window) && SuggestionList() == nullptr; }));

    PostCommand(window, 2001);
    typeAndWait("c");
    PressKey(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return ComboText(window) == "recorder"; })) << ComboText(window);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the suggestion did not run";
}

}  // namespace
