// Typing into the real command window and pressing Enter: aliases, several commands in
// one line, a launch that fails, a line that nothing finds, what the window does
// afterwards, and "!logoff".
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

using namespace e2e;

namespace {

constexpr WORD kClose = 2002;

class RunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, FindWindowA("Zantrel", nullptr)) << "a zantrel.exe is still running";
        ClearProgramState();
        MakeReturningUser();
        dir = MakeTempFolder("e2e");
        startDir = dir + "\\start here";
        CreateDirectoryA(startDir.c_str(), nullptr);
        recorder = "\"" + ExeDir() + "\\recorder.exe\"";
    }

    void TearDown() override {
        app.Kill();
        for (const std::string& file : files) {
            DeleteFileA(file.c_str());
        }
        RemoveDirectoryA(startDir.c_str());
        RemoveDirectoryA(dir.c_str());
    }

    // A command line that starts the recorder, which writes to a new file of ours.
    std::string RecorderLine(const std::string& name, std::string* recordPath) {
        *recordPath = dir + "\\" + name + ".txt";
        files.push_back(*recordPath);
        return recorder + " " + *recordPath + " " + name;
    }

    // The same, short: the recorder lies beside zantrel.exe, where process creation looks
    // first, and writes into the start directory `startDir`.
    std::string ShortRecorderLine(const std::string& name, std::string* recordPath) {
        *recordPath = startDir + "\\" + name + ".txt";
        files.push_back(*recordPath);
        return "recorder.exe " + name + ".txt " + name;
    }

    void StartReady() {
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(WaitUntil([&] {
            window = app.Window();
            return window != nullptr && IsShown(window) && GetForegroundWindow() == window;
        })) << "the command window is not ready for typing";
    }

    // Types the line into the command box and presses Enter, as the user does.
    void Enter(const std::string& line) {
        SetComboText(window, line);
        PressKey(VK_RETURN);
    }

    Program app;
    HWND window = nullptr;
    std::string dir;
    std::string startDir;
    std::string recorder;
    std::vector<std::string> files;
};

TEST_F(RunnerTest, AliasLaunchesMaximizedInItsOwnStartPath) {
    std::string record;
    ASSERT_TRUE(SetStoredAlias(0, "rec", RecorderLine("alias", &record), startDir, 1));
    StartReady();
    Enter("REC");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "nothing was started";
    const Record seen = ReadRecord(record);
    EXPECT_EQ(startDir, seen.directory);
    EXPECT_EQ(3, seen.show) << "SW_SHOWMAXIMIZED";
    EXPECT_NE(std::string::npos, seen.commandLine.find(" alias")) << seen.commandLine;
    // The history gets the text as typed; the box is emptied and the window hides.
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); }));
    EXPECT_EQ(std::vector<std::string>{"REC"}, ComboItems(window));
    EXPECT_EQ("", ComboText(window));
}

// The history list after a run: the line on top and the entry that left the last slot gone; a
// line equal to the top one in another case changes nothing.
TEST_F(RunnerTest, HistoryListFollowsTheRun) {
    std::vector<std::string> shown;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(SetString(kHistoryKey, std::to_string(i).c_str(), "h" + std::to_string(i)));
        shown.push_back("h" + std::to_string(i));
    }
    std::string record;
    const std::string line = RecorderLine("history", &record);
    shown.pop_back();
    shown.insert(shown.begin(), line);
    StartReady();
    Enter(line);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "nothing was started";
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(window) == shown; }))
        << testing::PrintToString(ComboItems(window));
    DeleteFileA(record.c_str());
    PostCommand(window, 2001);  // ID_OPEN
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }));
    std::string upper = line;
    upper.back() = 'Y';  // "...history" ends in a letter: "...historY"
    Enter(upper);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "nothing was started";
    EXPECT_FALSE(WaitUntil([&] { return ComboItems(window) != shown; }, 500));
}

TEST_F(RunnerTest, TypedProgramWithArgumentsStartsInTheDefaultStartPath) {
    ASSERT_TRUE(SetString(kMainKey, "StartPath", startDir));
    std::string record;
    const std::string line = RecorderLine("typed", &record) + " --flag";
    StartReady();
    Enter(line);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "nothing was started";
    const Record seen = ReadRecord(record);
    EXPECT_EQ(startDir, seen.directory);
    EXPECT_EQ(1, seen.show) << "SW_SHOWNORMAL";
    EXPECT_NE(std::string::npos, seen.commandLine.find("typed --flag")) << seen.commandLine;
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{line}; }));
}

TEST_F(RunnerTest, VariablesAreExpandedAndTheHistoryKeepsThemAsTyped) {
    // The program inherits this process's environment.
    ASSERT_TRUE(SetEnvironmentVariableA("ZANTREL_E2E_BIN", ExeDir().c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("ZANTREL_E2E_DIR", dir.c_str()));
    const std::string record = dir + "\\variables.txt";
    files.push_back(record);
    const std::string line =
        "\"%ZANTREL_E2E_BIN%\\recorder.exe\" %ZANTREL_E2E_DIR%\\variables.txt %UNDEFINED_E2E%";
    StartReady();
    Enter(line);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "nothing was started";
    EXPECT_NE(std::string::npos, ReadRecord(record).commandLine.find(" %UNDEFINED_E2E%"))
        << ReadRecord(record).commandLine;
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{line}; }));
}

TEST_F(RunnerTest, ControlShiftEnterRunsThroughRunasWithProgramAndParametersApart) {
    std::string record;
    RecorderLine("runas", &record);
    const FileTypeHandler handler(".zrunas", recorder + " " + record + " verb:runas \"%1\" %*",
                                  "runas");
    ASSERT_TRUE(handler.ok());
    const std::string document = startDir + "\\admin doc.zrunas";  // a path with a space
    files.push_back(document);
    ASSERT_TRUE(WriteFile(document, "x"));
    const std::string line = document + " one two";
    StartReady();
    SetComboText(window, line);
    PressKeys({VK_CONTROL, VK_SHIFT}, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the runas verb was not used";
    EXPECT_NE(std::string::npos,
              ReadRecord(record).commandLine.find("verb:runas \"" + document + "\" one two"))
        << ReadRecord(record).commandLine;
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{line}; }));
}

TEST_F(RunnerTest, AliasTakesTheRestOfTheLineAsArguments) {
    std::string record;
    ASSERT_TRUE(
        SetStoredAlias(0, "g", RecorderLine("args", &record) + " <%2|%1> [%s]", startDir, 0));
    StartReady();
    Enter("g red fox");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "nothing was started";
    EXPECT_NE(std::string::npos, ReadRecord(record).commandLine.find(" args <fox|red> [red fox]"))
        << ReadRecord(record).commandLine;
    EXPECT_EQ(startDir, ReadRecord(record).directory);
    EXPECT_TRUE(
        WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{"g red fox"}; }));
}

TEST_F(RunnerTest, MultiCommandAliasLaunchesEveryPieceInOrder) {
    std::string first, second, third;
    const std::string command = ShortRecorderLine("one", &first) + "*" +
                                ShortRecorderLine("two", &second) + "*" +
                                ShortRecorderLine("three", &third);
    ASSERT_TRUE(SetStoredAlias(0, "all", command, startDir, 2));
    StartReady();
    Enter("all");
    ASSERT_TRUE(WaitUntil([&] {
        return FileExists(first) && FileExists(second) && FileExists(third);
    })) << "one "
        << FileExists(first) << ", two " << FileExists(second) << ", three " << FileExists(third);
    for (const std::string& path : {first, second, third}) {
        const Record seen = ReadRecord(path);
        EXPECT_EQ(startDir, seen.directory) << path;
        EXPECT_EQ(2, seen.show) << path << ": SW_SHOWMINIMIZED";
    }
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{"all"}; }));
}

TEST_F(RunnerTest, FailedPieceIsReportedAndTheNextOneStillStarts) {
    std::string second;
    const std::string line = dir + "\\missing.exe first*" + RecorderLine("after", &second);
    StartReady();
    Enter(line);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(app.Pid(), &box));
    EXPECT_FALSE(FileExists(second)) << "the next piece started before the message was dismissed";
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(second); })) << "the piece after the failure";
    // The last launch succeeded: the line goes into the history and the window hides.
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(window); }));
    EXPECT_EQ(std::vector<std::string>{line}, ComboItems(window));
}

TEST_F(RunnerTest, LineThatNothingCanStartLeavesTextAndHistoryAlone) {
    ASSERT_TRUE(SetString(kHistoryKey, "0", "earlier"));
    const std::string line = dir + "\\no such program.exe --flag";
    StartReady();
    Enter(line);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(app.Pid(), &box));
    EXPECT_EQ("Zantrel", box.title);
    EXPECT_TRUE(std::regex_match(box.text, std::regex("Problem executing command\\.\r\n\r\n"
                                                      "Error codes: -?[0-9]+, -?[0-9]+")))
        << box.text;
    EXPECT_STREQ("error", IconName(box.icon));
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_EQ(window, GetWindow(box.box, GW_OWNER));
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return NoMessageBox(app.Pid()); }));
    Sleep(200);
    EXPECT_TRUE(NoMessageBox(app.Pid())) << "more than one message";
    EXPECT_TRUE(IsShown(window));
    EXPECT_EQ(line, ComboText(window));
    EXPECT_EQ(std::vector<std::string>{"earlier"}, ComboItems(window));
}

// A line that nothing finds runs the first suggestion instead: "cal" runs the alias "calc",
// and the history records "calc".
TEST_F(RunnerTest, LineThatNothingFindsRunsTheFirstSuggestion) {
    std::string record;
    ASSERT_TRUE(SetStoredAlias(0, "calc", RecorderLine("redirect", &record), startDir, 0));
    StartReady();
    TypeText("cal");
    ASSERT_TRUE(WaitUntil([&] { return ComboText(window) == "cal"; })) << ComboText(window);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the alias did not run";
    EXPECT_EQ(startDir, ReadRecord(record).directory);
    EXPECT_TRUE(WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{"calc"}; }));
    EXPECT_TRUE(NoMessageBox(app.Pid()));
}

TEST_F(RunnerTest, RefusedTextOnlyBeeps) {
    StartReady();
    for (const char* text : {"", " notepad", "*x"}) {
        SCOPED_TRACE(std::string("'") + text + "'");
        Enter(text);
        Sleep(300);
        EXPECT_TRUE(NoMessageBox(app.Pid()));
        EXPECT_TRUE(IsShown(window));
        EXPECT_EQ(text, ComboText(window));
        EXPECT_TRUE(ComboItems(window).empty());
    }
}

struct AfterCase {
    const char* name;
    DWORD afterCommand;
    bool shown;
    bool ends;
};

const AfterCase kAfterCases[] = {
    {"Hide", 0, false, false},
    {"Close", 1, false, true},
    {"Stay", 1002, true, false},
    {"OtherValueStays", 7, true, false},
};

class AfterCommandTest : public RunnerTest, public ::testing::WithParamInterface<AfterCase> {};

TEST_P(AfterCommandTest, WindowAfterASuccessfulCommand) {
    ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", GetParam().afterCommand));
    std::string record;
    const std::string line = RecorderLine(GetParam().name, &record);
    StartReady();
    Enter(line);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); }));
    if (GetParam().ends) {
        DWORD code = 12345;
        ASSERT_TRUE(app.WaitExit(kWaitMs, &code)) << "the program kept running";
        EXPECT_EQ(0u, code);
        // The shutdown's save wrote the new history entry.
        EXPECT_EQ(line, ReadString(HKEY_CURRENT_USER, kHistoryKey, "0"));
        return;
    }
    ASSERT_TRUE(WaitUntil([&] { return ComboItems(window) == std::vector<std::string>{line}; }));
    Sleep(200);
    EXPECT_EQ(GetParam().shown, IsShown(window));
    EXPECT_EQ("", ComboText(window));
    EXPECT_TRUE(app.Running());
    // Nothing is saved on this path.
    EXPECT_EQ("", ReadString(HKEY_CURRENT_USER, kHistoryKey, "0") == "<missing>" ? "" : "saved");
}

INSTANTIATE_TEST_SUITE_P(Settings, AfterCommandTest, ::testing::ValuesIn(kAfterCases),
                         [](const ::testing::TestParamInfo<AfterCase>& info) {
                             return std::string(info.param.name);
                         });

// Ends the Wine session: scripts/test.sh runs it alone in a Wine server of its own and
// checks the outcome from outside.
TEST_F(RunnerTest, DISABLED_LogoffSavesTheHistoryAndEndsTheProgram) {
    ASSERT_TRUE(SetDword(kMainKey, "AfterCommand", 1002));
    StartReady();
    Enter("!LogOff");
    DWORD code = 12345;
    ASSERT_TRUE(app.WaitExit(kWaitMs, &code)) << "the program kept running";
    EXPECT_EQ("!LogOff", ReadString(HKEY_CURRENT_USER, kHistoryKey, "0"));
}

}  // namespace
