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

    // The program shown and in front; the keys come at once.
    void StartReady() {
        Start();
        ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }));
    }

    // The open suggestion list: a visible top-level window of the program other than the
    // command window, its dialogs and its history list. (Under Wine a bordered popup holding a list
    // box whose items cannot be read from outside; on Windows a window of its own class.)
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

    // Types `text` at the end of what the box holds and reads the suggestions as the user
    // does: Down moves through them, each into the box, until the typed text comes back.
    std::vector<std::string> Suggest(const std::string& text) {
        const std::string typed = ComboText(window) + text;
        PressKey(VK_END);
        TypeText(text);
        std::vector<std::string> seen;
        if (!WaitUntil([&] { return ComboText(window) == typed && SuggestionList() != nullptr; },
                       3000)) {
            return seen;
        }
        for (std::string text = typed; seen.size() <= 100;) {
            const std::string before = ComboText(window);
            PressKey(VK_DOWN);
            WaitUntil([&] { return ComboText(window) != before; }, 2000);
            text = ComboText(window);
            if (text == typed || text == before) {
                break;
            }
            seen.push_back(text);
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

TEST_F(SuggestionTest, EnterOnAHighlightedSuggestionRunsIt) {
    TestFolder folder("suggest-run");
    const std::string record = folder / "record.txt";
    ASSERT_TRUE(SetStoredAlias(0, "recorder", "\"" + ExeDir() + "\\recorder.exe\" " + record,
                               folder.Path(), 0));
    StartReady();
    TypeText("rec");
    ASSERT_TRUE(WaitUntil([&] { return SuggestionList() != nullptr; })) << "no suggestion list";
    PressKey(VK_DOWN);
    ASSERT_TRUE(WaitUntil([&] { return ComboText(window) == "recorder"; })) << ComboText(window);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the suggestion did not run";
    EXPECT_TRUE(
        WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{"recorder"}; }));
    EXPECT_EQ(nullptr, SuggestionList());
}

// Esc closes the open list and leaves the window; the next Esc hides it. Hiding the window
// some other way (the tray menu's "&Hide") takes the list with it.
TEST_F(SuggestionTest, EscClosesTheListFirstThenHidesTheWindow) {
    ASSERT_TRUE(SetStoredAlias(0, "notes", "notepad.exe", "C:\\", 0));
    StartReady();
    TypeText("n");
    ASSERT_TRUE(WaitUntil([&] { return SuggestionList() != nullptr; })) << "no suggestion list";
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return SuggestionList() == nullptr; })) << "the list stayed";
    Sleep(200);
    EXPECT_TRUE(IsShown(window)) << "the first Esc hid the window";
    EXPECT_EQ("n", ComboText(window));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); })) << "the second Esc";

    PostCommand(window, 2001);  // ID_OPEN
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }));
    TypeText("o");
    ASSERT_TRUE(WaitUntil([&] { return SuggestionList() != nullptr; })) << "no suggestion list";
    PostCommand(window, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window) && SuggestionList() == nullptr; }));
}

}  // namespace
