// The suggestion list below the command box, through real key presses and clicks: its
// entries as its list box holds them, the keys that move through it, run it and close it,
// the mouse, what it remembers across a restart, and when it goes.
#include <gtest/gtest.h>

#include "harness.h"
#include "program_test.h"

using namespace e2e;

namespace {

using Texts = std::vector<std::string>;

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

    // An alias that runs the recorder, which writes `folder`\`name`.txt.
    void RecorderAlias(int n, const std::string& name) {
        ASSERT_TRUE(SetStoredAlias(n, name, "\"" + ExeDir() + "\\recorder.exe\" " + Record(name),
                                   folder.Path(), 0));
    }
    std::string Record(const std::string& name) const { return folder / (name + ".txt"); }

    // What the list shows once it shows `expected`, or what it showed last.
    Texts ListShows(const Texts& expected) {
        Texts seen;
        WaitUntil([&] { return (seen = SuggestionTexts(app.Pid())) == expected; }, 3000);
        return seen;
    }
    bool ListGone() {
        return WaitUntil([&] { return SuggestionListBox(app.Pid()) == nullptr; }, 3000);
    }
    int Highlighted() { return ListSelection(SuggestionListBox(app.Pid())); }

    TestFolder folder{"suggest"};
};

// Ranked by how well they match, each text once (the alias keeps it), the folder's entries
// matched by the name after the last '\'; the box keeps the focus; Tab at once after a key
// takes an entry of the new text; F4 takes the list away.
TEST_F(SuggestionTest, EntriesRankedEachOnce) {
    ASSERT_TRUE(SetStoredAlias(0, "notes", "notepad.exe", "C:\\", 0));
    ASSERT_TRUE(SetString(kHistoryKey, "0", "NOTES"));
    ASSERT_TRUE(SetString(kHistoryKey, "1", "Visual Studio Installer"));
    ASSERT_TRUE(SetString(kHistoryKey, "2", "Visual Studio Code"));
    ASSERT_TRUE(SetString(kHistoryKey, "3", "other"));
    ASSERT_TRUE(WriteFile(folder / "alpha.txt", "") && WriteFile(folder / "beta.txt", ""));
    ASSERT_TRUE(CreateDirectoryA((folder / "Alps").c_str(), nullptr));
    StartReady();
    TypeText("vs");
    EXPECT_EQ((Texts{"Visual Studio Code", "Visual Studio Installer"}),
              ListShows({"Visual Studio Code", "Visual Studio Installer"}));
    EXPECT_EQ(-1, Highlighted());
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_EQ(CommandBox(window), GetParent(FocusOf(window)));
    SetComboText(window, "");
    TypeText("nOs");
    EXPECT_EQ(Texts{"notes"}, ListShows({"notes"}));
    SetComboText(window, folder.Path());
    PressKey(VK_END);
    TypeText("\\aL");
    const Texts entries = {folder / "Alps\\", folder / "alpha.txt"};
    EXPECT_EQ(entries, ListShows(entries));
    // Tab right after a key takes an entry of the new text, before its folder is read again.
    TypeText("h");
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return ComboText(window) == folder / "alpha.txt"; }))
        << ComboText(window);
    PressKey(VK_F4);
    EXPECT_TRUE(ListGone()) << "F4";
    EXPECT_TRUE(SendMessageA(CommandBox(window), CB_GETDROPPEDSTATE, 0, 0));
}

// Below the box and as wide, above it at the bottom of the screen; it moves with the window.
TEST_F(SuggestionTest, ListBelowOrAboveTheBoxMovingWithTheWindow) {
    ASSERT_TRUE(SetStoredAlias(0, "notes", "notepad.exe", "C:\\", 0));
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    StartReady();
    TypeText("no");
    ASSERT_EQ(Texts{"notes"}, ListShows({"notes"}));
    const RECT window0 = WindowRect(window);
    const int height = window0.bottom - window0.top;
    for (const int top :
         {static_cast<int>(work.top) + 50, static_cast<int>(work.bottom) - height}) {
        SCOPED_TRACE(top);
        SetWindowPos(window, nullptr, window0.left, top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const bool below = top < work.bottom - height;
        RECT box = WindowRect(CommandBox(window));
        RECT list = WindowRect(GetParent(SuggestionListBox(app.Pid())));
        EXPECT_TRUE(WaitUntil(
            [&] {
                box = WindowRect(CommandBox(window));
                list = WindowRect(GetParent(SuggestionListBox(app.Pid())));
                return below ? list.top == box.bottom : list.bottom == box.top;
            },
            3000))
            << "box " << box.top << "-" << box.bottom << ", list " << list.top << "-"
            << list.bottom;
        EXPECT_EQ(box.left, list.left);
        EXPECT_EQ(box.right, list.right);
    }
}

// Down and Up move the highlight while the box keeps the typed text, PageDown and PageUp by
// the rows on screen; Tab takes the entry and the list follows; Esc closes the list, then
// hides the window; "&Hide" takes the list with the window; Enter runs the highlighted entry.
TEST_F(SuggestionTest, KeysOfTheList) {
    for (int i = 0; i < 12; ++i) {
        RecorderAlias(i, "rec" + std::to_string(10 + i));
    }
    StartReady();
    TypeText("rec");
    ASSERT_TRUE(WaitUntil([&] { return SuggestionTexts(app.Pid()).size() == 12; }, 3000));
    struct Step {
        WORD key;
        int highlighted;
    };
    for (const Step& step : {Step{VK_DOWN, 0}, Step{VK_DOWN, 1}, Step{VK_UP, 0}, Step{VK_NEXT, 10},
                             Step{VK_NEXT, 11}, Step{VK_PRIOR, 1}}) {
        SCOPED_TRACE(step.highlighted);
        PressKey(step.key);
        EXPECT_TRUE(WaitUntil([&] { return Highlighted() == step.highlighted; }, 2000))
            << Highlighted();
        EXPECT_EQ("rec", ComboText(window));
    }
    const std::string second = SuggestionTexts(app.Pid())[1];
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return ComboText(window) == second; })) << ComboText(window);
    EXPECT_EQ(Texts{second}, ListShows({second}));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(ListGone());
    EXPECT_FALSE(WaitUntil([&] { return !IsShown(window); }, 500)) << "the first Esc hid it";
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); })) << "the second Esc";

    PostCommand(window, 2001);  // ID_OPEN
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    SetComboText(window, "");
    TypeText("rec1");
    ASSERT_TRUE(WaitUntil([&] { return !SuggestionTexts(app.Pid()).empty(); }, 3000));
    PostCommand(window, IDCANCEL);  // the tray menu's "&Hide"
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); }) && ListGone());

    PostCommand(window, 2001);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    SetComboText(window, "");
    TypeText("rec2");
    ASSERT_EQ((Texts{"rec20", "rec21", "rec12"}), ListShows({"rec20", "rec21", "rec12"}));
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Record("rec21")); })) << "Enter";
    EXPECT_FALSE(FileExists(Record("rec20")));
    EXPECT_EQ("rec21", ComboItems(window).at(0)) << "the history";
}

// A click puts the entry into the box and the list follows; a double-click runs the entry.
TEST_F(SuggestionTest, ClickAndDoubleClick) {
    RecorderAlias(0, "calc");
    RecorderAlias(1, "calendar");
    StartReady();
    TypeText("ca");
    ASSERT_EQ((Texts{"calc", "calendar"}), ListShows({"calc", "calendar"}));
    ClickAt(SuggestionRowPoint(SuggestionListBox(app.Pid()), 1));
    EXPECT_TRUE(WaitUntil([&] { return ComboText(window) == "calendar"; })) << ComboText(window);
    EXPECT_EQ(Texts{"calendar"}, ListShows({"calendar"}));
    EXPECT_EQ(window, GetForegroundWindow());
    EXPECT_FALSE(FileExists(Record("calendar"))) << "a click ran it";

    SetComboText(window, "");
    TypeText("ca");
    ASSERT_EQ((Texts{"calc", "calendar"}), ListShows({"calc", "calendar"}));
    ClickAt(SuggestionRowPoint(SuggestionListBox(app.Pid()), 1), true);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(Record("calendar")); })) << "double-click";
    EXPECT_FALSE(FileExists(Record("calc")));
}

// The entry run from the list for a typed text comes first for it, after a restart too.
TEST_F(SuggestionTest, RememberedChoiceAcrossRestart) {
    RecorderAlias(0, "notes");
    RecorderAlias(1, "notepad");
    StartReady();
    TypeText("note");
    ASSERT_EQ((Texts{"notes", "notepad"}), ListShows({"notes", "notepad"}));
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(Record("notepad")); }));
    CloseAndWait();
    StartReady();
    TypeText("NOTE");
    EXPECT_EQ((Texts{"notepad", "notes"}), ListShows({"notepad", "notes"}));
}

}  // namespace
