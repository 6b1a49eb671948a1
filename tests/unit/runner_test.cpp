// The command runner's rules, driven through a host that records every step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "run/runner.h"
#include "state/alias_list.h"
#include "state/settings.h"
#include "state/text_posix.h"
#include "case_name.h"
#include "fake_environment.h"

namespace {

std::string Join(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        out += "[" + item + "] ";
    }
    return out;
}

constexpr LaunchResult kStarted = {LaunchStatus::kStarted, 0, 0};
// Neither the shell nor process creation finds the file.
constexpr LaunchResult kNotFound = {LaunchStatus::kFailed, 2, 2};

class RecordingHost : public RunnerHost {
  public:
    std::string box;  // the command box's text
    // What the launches of these lines (of these programs, when elevated) come to; the
    // rest start.
    std::map<std::string, LaunchResult> results;
    std::map<std::string, LaunchResult> elevatedResults;
    bool sessionResult = true;
    std::vector<std::string> events;    // every step, in order
    std::vector<std::string> launches;  // "line|dir|show" of each launch
    int readCapacity = -1;
    bool waiting = false;
    bool windowAlive = true;
    int closedDuringFailure = 0;  // the n-th failure box sees "&Close" chosen
    int failureCount = 0;

    void ReadCommandText(char* buffer, int capacity) override {
        readCapacity = capacity;
        // GetDlgItemTextA: at most capacity - 1 characters, always terminated.
        std::size_t n = box.size();
        if (n > static_cast<std::size_t>(capacity - 1)) {
            n = static_cast<std::size_t>(capacity - 1);
        }
        std::memcpy(buffer, box.data(), n);
        buffer[n] = '\0';
        events.push_back("read");
    }
    void SetCommandText(const char* text) override {
        EXPECT_TRUE(windowAlive) << "text set after the window was gone";
        box = text;
        events.push_back("text(" + box + ")");
    }
    void Beep() override { events.push_back("beep"); }
    void ShowWaitCursor() override {
        EXPECT_FALSE(waiting) << "wait cursor shown twice";
        waiting = true;
        events.push_back("wait");
    }
    void RestoreCursor() override {
        EXPECT_TRUE(waiting) << "cursor restored without a wait cursor";
        waiting = false;
        events.push_back("restore");
    }
    int endingLaunches = 0;  // launches told that the program ends afterwards
    LaunchResult Launch(const char* line, const char* dir, int show, bool programEnds) override {
        endingLaunches += programEnds ? 1 : 0;
        EXPECT_TRUE(waiting) << "launch of '" << line << "' without the wait cursor";
        launches.push_back(std::string(line) + "|" + dir + "|" + std::to_string(show));
        EXPECT_TRUE(windowAlive) << "launch of '" << line << "' after the window was gone";
        events.push_back("launch(" + std::string(line) + ")");
        const auto result = results.find(line);
        return result != results.end() ? result->second : kStarted;
    }
    LaunchResult LaunchElevated(const char* program, const char* parameters, const char* dir,
                                int show, bool programEnds) override {
        endingLaunches += programEnds ? 1 : 0;
        launches.push_back("runas " + std::string(program) + "|" + parameters + "|" + dir + "|" +
                           std::to_string(show));
        events.push_back("runas(" + std::string(program) + ")");
        const auto result = elevatedResults.find(program);
        return result != elevatedResults.end() ? result->second : kStarted;
    }
    // What starting these installed programs comes to; the rest start.
    std::map<std::string, LaunchResult> programResults;
    LaunchResult LaunchProgram(const char* name, bool elevated, bool programEnds) override {
        endingLaunches += programEnds ? 1 : 0;
        EXPECT_TRUE(waiting) << "start of '" << name << "' without the wait cursor";
        launches.push_back(std::string("program ") + (elevated ? "runas " : "") + name);
        events.push_back("program(" + std::string(name) + ")");
        const auto result = programResults.find(name);
        return result != programResults.end() ? result->second : kStarted;
    }
    void ReportLaunchFailure(int shellCode, int createCode) override {
        EXPECT_TRUE(windowAlive) << "failure shown after the window was gone";
        events.push_back("failure(" + std::to_string(shellCode) + "," + std::to_string(createCode) +
                         ")");
        if (++failureCount == closedDuringFailure) {
            windowAlive = false;
            events.push_back("closed");
        }
    }
    bool EndSession(std::uint32_t flags) override {
        events.push_back("session(" + std::to_string(flags) + ")");
        return sessionResult;
    }
    void AddToHistory(const char* text) override {
        events.push_back("history(" + std::string(text) + ")");
    }
    void FillHistoryList() override {
        EXPECT_TRUE(windowAlive) << "list filled after the window was gone";
        events.push_back("fill");
    }
    void SaveState() override { events.push_back("save"); }
    void HideWindow() override {
        EXPECT_TRUE(windowAlive) << "hidden after the window was gone";
        events.push_back("hide");
    }
    void DestroyWindow() override {
        EXPECT_TRUE(windowAlive) << "destroyed twice";
        windowAlive = false;
        events.push_back("destroy");
    }
    bool WindowExists() override { return windowAlive; }
    void ShowError(const char* text, bool windowAlive) override {
        events.push_back("error(" + std::string(text) + (windowAlive ? "|owner" : "|null") + ")");
    }
    void ShowWarning(const char* text) override {
        EXPECT_TRUE(windowAlive) << "warning shown after the window was gone";
        events.push_back("warning(" + std::string(text) + ")");
    }

    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& e : events) {
            n += e.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        }
        return n;
    }
};

struct Fixture {
    Settings settings{};
    AliasList aliases;
    RecordingHost host;
    FakeEnvironment environment;

    Fixture() {
        std::strcpy(settings.StartPath, "C:\\");
        settings.AfterCommand = kAfterStay;
    }
    void Run(const std::string& text) {
        host.box = text;
        RunCommandBox(host, environment, aliases, settings);
    }
};

// "hide", "close", "stay" or "after_7": for the names of the cases.
std::string AfterName(std::int32_t afterCommand) {
    switch (afterCommand) {
        case kAfterHide:
            return "hide";
        case kAfterClose:
            return "close";
        case kAfterStay:
            return "stay";
        default:
            return afterCommand < 0 ? "after_minus_" + std::to_string(-afterCommand)
                                    : "after_" + std::to_string(afterCommand);
    }
}

// ---------------------------------------------------------------------------------------
// Refusals: a beep and nothing else; the text stays.

class Refusal : public ::testing::TestWithParam<const char*> {};

TEST_P(Refusal, OnlyBeeps) {
    Fixture f;
    f.settings.AfterCommand = kAfterHide;
    ASSERT_TRUE(AddAlias(f.aliases, "*x", "calc.exe", "C:\\", 0));
    f.Run(GetParam());
    EXPECT_EQ(Join(f.host.events), Join({"read", "beep"})) << "text '" << GetParam() << "'";
    EXPECT_EQ(f.host.box, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Runner, Refusal,
                         ::testing::Values("", " notepad", " ", "*x", "*", "**a*b"),
                         [](const ::testing::TestParamInfo<const char*>& i) {
                             return case_name::FromText(i.param);
                         });

// ---------------------------------------------------------------------------------------
// Session commands: recognised as a whole without regard to case, recorded as typed.

struct SessionCase {
    const char* text;
    bool isSession;
    std::uint32_t flags;
};

class SessionRecognition : public ::testing::TestWithParam<SessionCase> {};

TEST_P(SessionRecognition, IsSessionCommandOrLaunchedAsTyped) {
    const SessionCase& c = GetParam();
    Fixture f;
    f.Run(c.text);
    if (c.isSession) {
        EXPECT_EQ(f.host.Count("session("), 1) << Join(f.host.events);
        EXPECT_EQ(f.host.Count("session(" + std::to_string(c.flags) + ")"), 1)
            << Join(f.host.events);
        EXPECT_EQ(f.host.Count("launch("), 0) << Join(f.host.events);
        EXPECT_EQ(f.host.Count("wait"), 0) << "no wait cursor for session commands";
    } else {
        EXPECT_EQ(f.host.Count("session("), 0) << Join(f.host.events);
        EXPECT_EQ(Join(f.host.launches), Join({std::string(c.text) + "|C:\\|1"}));
    }
    EXPECT_EQ(f.host.Count("history(" + std::string(c.text) + ")"), 1) << Join(f.host.events);
}

std::string CaseName(const SessionCase& c) {
    return case_name::FromText(c.text);
}

void PrintTo(const SessionCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, SessionRecognition,
    ::testing::Values(SessionCase{"!shutdown", true, 1}, SessionCase{"!SHUTDOWN", true, 1},
                      SessionCase{"!Reboot", true, 2}, SessionCase{"!reboot", true, 2},
                      SessionCase{"!LogOff", true, 0}, SessionCase{"!shutdown ", false, 0},
                      SessionCase{"!shutdownx", false, 0}, SessionCase{"!log", false, 0},
                      SessionCase{"shutdown", false, 0}),
    case_name::Of<SessionCase>());

TEST(Runner, SessionCommandIsNeverAnAlias) {
    Fixture f;
    ASSERT_TRUE(AddAlias(f.aliases, "!reboot", "calc.exe", "C:\\", 0));
    f.Run("!REBOOT");
    EXPECT_EQ(f.host.Count("launch("), 0) << Join(f.host.events);
    EXPECT_EQ(f.host.Count("session(2)"), 1) << Join(f.host.events);
}

// ---------------------------------------------------------------------------------------
// Session steps, in order, for every command, result and AfterCommand.

struct SessionStepsCase {
    const char* text;
    std::int32_t afterCommand;
    bool succeeds;
    std::vector<std::string> tail;  // after read, history, save, fill, emptied box
};

class SessionSteps : public ::testing::TestWithParam<SessionStepsCase> {};

TEST_P(SessionSteps, RunInOrder) {
    const SessionStepsCase& c = GetParam();
    Fixture f;
    f.settings.AfterCommand = c.afterCommand;
    f.host.sessionResult = c.succeeds;
    f.Run(c.text);
    std::vector<std::string> expected = {"read", "history(" + std::string(c.text) + ")", "save",
                                         "fill", "text()"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Join(f.host.events), Join(expected))
        << c.text << " AfterCommand " << c.afterCommand << (c.succeeds ? " ok" : " failing");
}

const char kShutdownFailed[] = "error(Error shutting down system.|owner)";
const char kRebootFailed[] = "error(Error restarting system.|owner)";
const char kLogoffFailed[] = "error(Error logging off.|owner)";

std::string CaseName(const SessionStepsCase& c) {
    return case_name::FromText(c.text) + "_" + AfterName(c.afterCommand) +
           (c.succeeds ? "_ok" : "_failing");
}

void PrintTo(const SessionStepsCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, SessionSteps,
    ::testing::Values(
        // !shutdown
        SessionStepsCase{"!shutdown", kAfterHide, true, {"hide", "session(1)"}},
        SessionStepsCase{"!shutdown", kAfterHide, false, {"hide", "session(1)", kShutdownFailed}},
        SessionStepsCase{"!shutdown", kAfterClose, true, {"destroy", "session(1)"}},
        SessionStepsCase{"!shutdown",
                         kAfterClose,
                         false,
                         {"destroy", "session(1)", "error(Error shutting down system.|null)"}},
        SessionStepsCase{"!shutdown", kAfterStay, true, {"session(1)"}},
        SessionStepsCase{"!shutdown", kAfterStay, false, {"session(1)", kShutdownFailed}},
        SessionStepsCase{"!Shutdown", 7, false, {"session(1)", kShutdownFailed}},
        // !reboot
        SessionStepsCase{"!reboot", kAfterHide, true, {"hide", "session(2)"}},
        SessionStepsCase{"!reboot", kAfterHide, false, {"hide", "session(2)", kRebootFailed}},
        SessionStepsCase{"!reboot", kAfterClose, true, {"destroy", "session(2)"}},
        SessionStepsCase{"!reboot",
                         kAfterClose,
                         false,
                         {"destroy", "session(2)", "error(Error restarting system.|null)"}},
        SessionStepsCase{"!reboot", kAfterStay, true, {"session(2)"}},
        SessionStepsCase{"!REBOOT", kAfterStay, false, {"session(2)", kRebootFailed}},
        // !logoff ends the program in every case, exactly once
        SessionStepsCase{"!logoff", kAfterHide, true, {"hide", "session(0)", "destroy"}},
        SessionStepsCase{
            "!logoff", kAfterHide, false, {"hide", "session(0)", kLogoffFailed, "destroy"}},
        SessionStepsCase{"!logoff", kAfterClose, true, {"destroy", "session(0)"}},
        SessionStepsCase{"!logoff",
                         kAfterClose,
                         false,
                         {"destroy", "session(0)", "error(Error logging off.|null)"}},
        SessionStepsCase{"!logoff", kAfterStay, true, {"session(0)", "destroy"}},
        SessionStepsCase{"!LOGOFF", kAfterStay, false, {"session(0)", kLogoffFailed, "destroy"}},
        SessionStepsCase{"!logoff", 7, false, {"session(0)", kLogoffFailed, "destroy"}}),
    case_name::Of<SessionStepsCase>());

// ---------------------------------------------------------------------------------------
// What is launched, where and how, for aliases and plain text.

struct ResolveCase {
    const char* text;
    std::uint32_t aliasState;  // of the alias "ed"
    const char* launch;        // expected "line|dir|show"
};

class Resolution : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(Resolution, LaunchesWithDirectoryAndShowCommand) {
    const ResolveCase& c = GetParam();
    Fixture f;
    ASSERT_TRUE(AddAlias(f.aliases, "ed", "notepad.exe", "D:\\docs", c.aliasState));
    ASSERT_TRUE(AddAlias(f.aliases, "nodir", "calc.exe", "", c.aliasState));
    f.Run(c.text);
    EXPECT_EQ(Join(f.host.launches), Join({c.launch})) << "text '" << c.text << "'";
    // The history holds what was typed, not what was launched.
    EXPECT_EQ(f.host.Count("history(" + std::string(c.text) + ")"), 1) << Join(f.host.events);
}

std::string CaseName(const ResolveCase& c) {
    return case_name::FromText(c.text) + "_state_" + std::to_string(c.aliasState);
}

void PrintTo(const ResolveCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, Resolution,
    ::testing::Values(ResolveCase{"ed", kStateNormal, "notepad.exe|D:\\docs|1"},
                      ResolveCase{"ED", kStateMaximized, "notepad.exe|D:\\docs|3"},
                      ResolveCase{"Ed", kStateMinimized, "notepad.exe|D:\\docs|2"},
                      ResolveCase{"ed", 5, "notepad.exe|D:\\docs|1"},
                      ResolveCase{"ed", 0xFFFFFFFFu, "notepad.exe|D:\\docs|1"},
                      ResolveCase{"nodir", kStateMaximized, "calc.exe||3"},
                      ResolveCase{"ed readme.txt", kStateMaximized, "ed readme.txt|C:\\|1"},
                      ResolveCase{"ed ", kStateMinimized, "ed |C:\\|1"},
                      ResolveCase{"notepad", kStateMaximized, "notepad|C:\\|1"}),
    case_name::Of<ResolveCase>());

TEST(Runner, AliasWithSeveralCommandsUsesItsDirectoryAndShowForEach) {
    Fixture f;
    ASSERT_TRUE(AddAlias(f.aliases, "both", "a*b", "E:\\work", kStateMinimized));
    f.Run("both");
    EXPECT_EQ(Join(f.host.launches), Join({"a|E:\\work|2", "b|E:\\work|2"}));
    EXPECT_EQ(f.host.Count("history(both)"), 1) << Join(f.host.events);
}

// ---------------------------------------------------------------------------------------
// Counting and cutting the pieces of a line.

struct PiecesCase {
    const char* line;
    std::vector<std::string> pieces;
};

class Pieces : public ::testing::TestWithParam<PiecesCase> {};

TEST_P(Pieces, LaunchedInOrderWithoutLosingText) {
    const PiecesCase& c = GetParam();
    Fixture f;
    f.Run(c.line);
    std::vector<std::string> expected;
    for (const std::string& piece : c.pieces) {
        expected.push_back(piece + "|C:\\|1");
    }
    EXPECT_EQ(Join(f.host.launches), Join(expected)) << "line '" << c.line << "'";
    EXPECT_EQ(f.host.Count("history(" + std::string(c.line) + ")"), 1) << Join(f.host.events);
}

std::string CaseName(const PiecesCase& c) {
    return case_name::FromText(c.line);
}

void PrintTo(const PiecesCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, Pieces,
    ::testing::Values(PiecesCase{"a*b", {"a", "b"}}, PiecesCase{"a*b*", {"a", "b"}},
                      PiecesCase{"a*", {"a*"}}, PiecesCase{"a**", {"a**"}},
                      PiecesCase{"a* b", {"a* b"}},
                      PiecesCase{"cmd /c dir *.txt", {"cmd /c dir ", ".txt"}},
                      PiecesCase{"copy a* b", {"copy a* b"}}, PiecesCase{"a* b*c", {"a* b", "c"}},
                      PiecesCase{"a**b", {"a*", "b"}}, PiecesCase{"a*b**", {"a", "b*"}},
                      PiecesCase{"a*b*c", {"a", "b", "c"}}, PiecesCase{"x*1*.", {"x", "1", "."}},
                      PiecesCase{"a *b", {"a ", "b"}}, PiecesCase{"a* *b", {"a* ", "b"}}),
    case_name::Of<PiecesCase>());

TEST(Runner, LongestLineOfSingleLetterCommands) {
    std::string line;
    std::vector<std::string> expected;
    while (line.size() + 2 <= 260) {
        line += "q*";
        expected.push_back("q|C:\\|1");
    }
    ASSERT_EQ(line.size(), 260u);  // ends with a '*' that only ends the last piece
    Fixture f;
    f.Run(line);
    EXPECT_EQ(Join(f.host.launches), Join(expected));
}

TEST(Runner, AliasCommandStartingWithSeparatorLaunchesAnEmptyFirstPiece) {
    // Typed text cannot start with '*', an alias's command can: nothing of it is dropped.
    Fixture f;
    ASSERT_TRUE(AddAlias(f.aliases, "odd", "*b", "", kStateNormal));
    f.Run("odd");
    EXPECT_EQ(Join(f.host.launches), Join({"||1", "b||1"}));
}

// ---------------------------------------------------------------------------------------
// The last launch decides; AfterCommand after success only.

struct OutcomeCase {
    std::vector<bool> results;  // of the three pieces of "a*b*c"
    std::int32_t afterCommand;
    std::vector<std::string> tail;  // events after the last launch
};

class Outcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(Outcome, LastLaunchDecides) {
    const OutcomeCase& c = GetParam();
    Fixture f;
    f.settings.AfterCommand = c.afterCommand;
    for (std::size_t i = 0; i < c.results.size(); ++i) {
        f.host.results[std::string(1, "abc"[i])] = c.results[i] ? kStarted : kNotFound;
    }
    f.Run("a*b*c");
    // Each failure is shown before the next piece starts.
    std::vector<std::string> expected = {"read", "wait"};
    for (std::size_t i = 0; i < c.results.size(); ++i) {
        expected.push_back(std::string("launch(") + "abc"[i] + ")");
        if (!c.results[i]) {
            expected.push_back("failure(2,2)");
        }
    }
    expected.push_back("restore");
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Join(f.host.events), Join(expected)) << "AfterCommand " << c.afterCommand;
    const bool succeeded = c.results.back();
    EXPECT_EQ(f.host.box, succeeded ? "" : "a*b*c");
}

const std::vector<std::string> kRecorded = {"history(a*b*c)", "fill", "text()"};

std::vector<std::string> Then(std::vector<std::string> first, const char* last) {
    first.push_back(last);
    return first;
}

std::string CaseName(const OutcomeCase& c) {
    std::string name;
    for (bool ok : c.results) {
        name += ok ? "ok_" : "fail_";
    }
    return name + AfterName(c.afterCommand);
}

void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, Outcome,
    ::testing::Values(OutcomeCase{{true, true, false}, kAfterHide, {}},
                      OutcomeCase{{true, true, false}, kAfterClose, {}},
                      OutcomeCase{{false, false, false}, kAfterStay, {}},
                      OutcomeCase{{false, true, true}, kAfterHide, Then(kRecorded, "hide")},
                      OutcomeCase{{true, false, true}, kAfterClose, Then(kRecorded, "destroy")},
                      OutcomeCase{{true, true, true}, kAfterStay, kRecorded},
                      OutcomeCase{{true, true, true}, 7, kRecorded},
                      OutcomeCase{{true, true, true}, -1, kRecorded},
                      OutcomeCase{{true, true, true}, 2, kRecorded}),
    case_name::Of<OutcomeCase>());

struct SingleCase {
    bool succeeds;
    std::int32_t afterCommand;
    std::vector<std::string> tail;
};

class SingleOutcome : public ::testing::TestWithParam<SingleCase> {};

TEST_P(SingleOutcome, AfterCommandOnlyAfterSuccess) {
    const SingleCase& c = GetParam();
    Fixture f;
    f.settings.AfterCommand = c.afterCommand;
    f.host.results["notepad x.txt"] = c.succeeds ? kStarted : kNotFound;
    f.Run("notepad x.txt");
    std::vector<std::string> expected = {"read", "wait", "launch(notepad x.txt)"};
    if (!c.succeeds) {
        expected.push_back("failure(2,2)");
    }
    expected.push_back("restore");
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Join(f.host.events), Join(expected)) << "AfterCommand " << c.afterCommand;
    EXPECT_EQ(f.host.endingLaunches, c.afterCommand == kAfterClose ? 1 : 0);
}

const std::vector<std::string> kSingleRecorded = {"history(notepad x.txt)", "fill", "text()"};

std::string CaseName(const SingleCase& c) {
    return std::string(c.succeeds ? "ok_" : "fail_") + AfterName(c.afterCommand);
}

void PrintTo(const SingleCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, SingleOutcome,
    ::testing::Values(SingleCase{true, kAfterHide, Then(kSingleRecorded, "hide")},
                      SingleCase{true, kAfterClose, Then(kSingleRecorded, "destroy")},
                      SingleCase{true, kAfterStay, kSingleRecorded},
                      SingleCase{true, 7, kSingleRecorded}, SingleCase{false, kAfterHide, {}},
                      SingleCase{false, kAfterClose, {}}, SingleCase{false, kAfterStay, {}},
                      SingleCase{false, 7, {}}),
    case_name::Of<SingleCase>());

// ---------------------------------------------------------------------------------------
// "&Close" chosen from the tray menu while a launcher failure box is up ends the run there.

TEST(Runner, WindowClosedDuringAFailureBoxLaunchesNothingMore) {
    for (int closedAt : {1, 2}) {
        SCOPED_TRACE("closed during launch " + std::to_string(closedAt));
        Fixture f;
        f.settings.AfterCommand = kAfterHide;
        f.host.results = {{"a", kNotFound}, {"b", kNotFound}};
        f.host.closedDuringFailure = closedAt;
        f.Run("a*b*c");
        std::vector<std::string> expected = {"read", "wait", "launch(a)", "failure(2,2)"};
        if (closedAt == 2) {
            expected.push_back("launch(b)");
            expected.push_back("failure(2,2)");
        }
        expected.push_back("closed");
        expected.push_back("restore");
        EXPECT_EQ(Join(f.host.events), Join(expected)) << "closed during launch " << closedAt;
    }
}

TEST(Runner, WindowClosedDuringTheLogoffFailureBoxIsNotDestroyedAgain) {
    struct ClosingHost : RecordingHost {
        void ShowError(const char* text, bool alive) override {
            RecordingHost::ShowError(text, alive);
            windowAlive = false;
        }
    };
    ClosingHost host;
    host.sessionResult = false;
    host.box = "!logoff";
    Settings settings{};
    settings.AfterCommand = kAfterStay;
    AliasList aliases;
    FakeEnvironment environment;
    RunCommandBox(host, environment, aliases, settings);
    EXPECT_EQ(Join(host.events), Join({"read", "history(!logoff)", "save", "fill", "text()",
                                       "session(0)", kLogoffFailed}));
}

// ---------------------------------------------------------------------------------------
// A line of more than 260 bytes is never cut: nothing of it starts, the failure is shown
// with code 206 and the text stays. A line of exactly 260 bytes runs.

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

TEST(Runner, LineOfMoreThan260BytesIsRefusedWhole) {
    const std::string cjk = "\xE8\xA1\xA8";  // three bytes in UTF-8
    const struct {
        const char* name;
        std::string typed;
        bool runs;
    } cases[] = {
        {"260 letters", std::string(260, 'x'), true},
        {"86 CJK characters and 2 letters", Repeat(cjk, 86) + "ab", true},
        {"261 letters", std::string(261, 'x'), false},
        {"87 CJK characters", Repeat(cjk, 87), false},
        // A '*' past the limit would make a second command of a line cut short.
        {"a second command past the limit", "prog " + std::string(255, 'x') + "*second", false},
        {"a session command and spaces", "!logoff" + std::string(293, ' '), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.Run(c.typed);
        EXPECT_GE(f.host.readCapacity, 261 + 4) << "room for one character more than fits";
        if (c.runs) {
            EXPECT_EQ(Join(f.host.launches), Join({c.typed + "|C:\\|1"}));
            EXPECT_EQ(f.host.Count("history(" + c.typed + ")"), 1) << Join(f.host.events);
        } else {
            EXPECT_EQ(Join(f.host.events), Join({"read", "wait", "restore", "failure(206,206)"}));
            EXPECT_EQ(f.host.box, c.typed);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Variables are expanded piece by piece once the line is cut, in commands and start
// directories. Control+Shift+Enter launches each piece through "runas", the program apart
// from its parameters as process creation finds it. An alias with placeholders takes the
// rest of the line as its arguments.

struct LaunchCase {
    const char* text;
    bool elevated;
    std::vector<std::string> launches;  // "line|dir|show" or "runas program|parameters|dir|show"
    bool legacyCodePage = false;        // a double-byte code page (932) instead of UTF-8
};

class Launches : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(Launches, ExpandedAndSplit) {
    const LaunchCase& c = GetParam();
    Fixture f;
    std::strcpy(f.settings.StartPath, "%HOME%\\s");
    f.environment.variables = {{"HOME", "C:\\me"}, {"STAR", "x*y"}, {"CMD", "!logoff"}};
    f.environment.files = {"C:\\my docs\\a b.txt",
                           "C:\\App\\app.exe",
                           "C:\\One\\My Tools\\tool.exe",
                           "C:\\Two\\My Tools\\tool.exe",
                           "C:\\Two\\My.exe",
                           "C:\\me\\s\\my tool.exe",
                           "your tool.exe",
                           "D:\\\x95\\\\my tool.exe",
                           "C:\\t\\v1.\x95\\.exe",
                           "C:\\t\\v1.\x95\\ b"};
    ASSERT_TRUE(AddAlias(f.aliases, "home", "explorer %HOME%*%STAR%", "%HOME%", kStateMaximized));
    ASSERT_TRUE(AddAlias(f.aliases, "g", "https://search.example/?q=%s", "", kStateNormal));
    ASSERT_TRUE(AddAlias(f.aliases, "ssh", "ssh.exe %1 -p %2", "D:\\", kStateMinimized));
    ASSERT_TRUE(AddAlias(f.aliases, "two", "open %1*mailto:%2", "", kStateNormal));
    // "D:\" and a character whose second byte is '\': the folder does not end in a '\'.
    ASSERT_TRUE(AddAlias(f.aliases, "dbcs", "my tool.exe -x", "D:\\\x95\\", kStateNormal));
    f.host.box = c.text;
    SetNativeCodePage(c.legacyCodePage ? kNativeShiftJis : kNativeUtf8);
    RunCommandBox(f.host, f.environment, f.aliases, f.settings, c.elevated);
    SetNativeCodePage(kNativeUtf8);
    EXPECT_EQ(Join(f.host.launches), Join(c.launches)) << c.text;
    // Nothing launched: the program is unclear, and the user is asked for double quotes.
    const bool unclear = c.launches.empty();
    EXPECT_EQ(f.host.Count("warning(More than one program fits the start of the line. Put the "
                           "program in double quotes.)"),
              unclear ? 1 : 0)
        << Join(f.host.events);
    EXPECT_EQ(f.host.Count("history(" + std::string(c.text) + ")"), unclear ? 0 : 1)
        << Join(f.host.events);
}

INSTANTIATE_TEST_SUITE_P(
    Runner, Launches,
    ::testing::Values(
        LaunchCase{"notepad %HOME%\\a.txt", false, {"notepad C:\\me\\a.txt|C:\\me\\s|1"}},
        LaunchCase{"%UNDEFINED%\\x", false, {"%UNDEFINED%\\x|C:\\me\\s|1"}},
        LaunchCase{"%STAR%", false, {"x*y|C:\\me\\s|1"}},
        LaunchCase{"%CMD%", false, {"!logoff|C:\\me\\s|1"}},
        LaunchCase{"home", false, {"explorer C:\\me|C:\\me|3", "x*y|C:\\me|3"}},
        LaunchCase{"home", true, {"runas explorer|C:\\me|C:\\me|3", "runas x*y||C:\\me|3"}},
        LaunchCase{
            "\"C:\\x y\\p.exe\"  -a \"b\"", true, {"runas C:\\x y\\p.exe|-a \"b\"|C:\\me\\s|1"}},
        LaunchCase{"\"C:\\unclosed x", true, {"runas C:\\unclosed x||C:\\me\\s|1"}},
        LaunchCase{"C:\\my docs\\a b.txt 2", true, {"runas C:\\my docs\\a b.txt|2|C:\\me\\s|1"}},
        LaunchCase{"C:\\my docs\\b.txt 2", true, {"runas C:\\my|docs\\b.txt 2|C:\\me\\s|1"}},
        LaunchCase{"C:\\App\\app -x", true, {"runas C:\\App\\app|-x|C:\\me\\s|1"}},
        // Only one leading part of an unquoted line may name a file, a relative one in the
        // start folder; with more, nothing of the line starts.
        LaunchCase{"C:\\One\\My Tools\\tool.exe /q",
                   true,
                   {"runas C:\\One\\My Tools\\tool.exe|/q|C:\\me\\s|1"}},
        LaunchCase{"C:\\Two\\My Tools\\tool.exe /q", true, {}},
        LaunchCase{"a*C:\\Two\\My Tools\\tool.exe /q", true, {}},
        LaunchCase{"\"C:\\Two\\My Tools\\tool.exe\" /q",
                   true,
                   {"runas C:\\Two\\My Tools\\tool.exe|/q|C:\\me\\s|1"}},
        LaunchCase{"my tool.exe -x", true, {"runas my tool.exe|-x|C:\\me\\s|1"}},
        LaunchCase{"your tool.exe -x", true, {"runas your|tool.exe -x|C:\\me\\s|1"}},
        // In a double-byte code page a '\' may be the second byte of a character. The last
        // name of "C:\t\v1.X" has an extension: no ".exe" is tried.
        LaunchCase{"dbcs", true, {"runas my tool.exe|-x|D:\\\x95\\|1"}, true},
        LaunchCase{
            "C:\\t\\v1.\x95\\ b -q", true, {"runas C:\\t\\v1.\x95\\ b|-q|C:\\me\\s|1"}, true},
        LaunchCase{"g red fox", false, {"https://search.example/?q=red%20fox||1"}},
        LaunchCase{"G  red  fox ", false, {"https://search.example/?q=red%20%20fox%20||1"}},
        LaunchCase{"g a&b #c+d~", false, {"https://search.example/?q=a%26b%20%23c%2Bd~||1"}},
        LaunchCase{"g %HOME%", false, {"https://search.example/?q=C%3A%5Cme||1"}},
        // What goes into a web address is encoded as UTF-8 whatever the code page.
        LaunchCase{"g \xE9", false, {"https://search.example/?q=%E9||1"}},
        LaunchCase{"g \xE9", false, {"https://search.example/?q=%C3%A9||1"}, true},
        LaunchCase{"ssh \"web 1\"  22 x", false, {"ssh.exe web 1 -p 22|D:\\|2"}},
        LaunchCase{"ssh web1", false, {"ssh.exe web1 -p |D:\\|2"}},
        LaunchCase{"ssh", false, {"ssh.exe  -p |D:\\|2"}},
        LaunchCase{"two a*b c@d", false, {"open a*b||1", "mailto:c%40d||1"}},
        LaunchCase{"home docs", false, {"home docs|C:\\me\\s|1"}}),
    [](const ::testing::TestParamInfo<LaunchCase>& i) {
        return std::to_string(i.index) + "_" + case_name::FromText(i.param.text);
    });

// A command or start directory that would exceed 260 characters once expanded: nothing of
// the line starts, the failure is shown once and the text stays.
TEST(Runner, ExpansionBeyond260CharactersLaunchesNothing) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"a*%LONG%123456", ""}, {"b", "%LONG%%LONG%"}, {"g " + std::string(90, '&'), ""}};
    for (const auto& [typed, startPath] : cases) {
        SCOPED_TRACE("typed '" + typed + "', start path '" + startPath + "'");
        Fixture f;
        f.environment.variables = {{"LONG", std::string(255, 'x')}};
        std::strcpy(f.settings.StartPath, startPath);
        ASSERT_TRUE(AddAlias(f.aliases, "g", "https://search.example/?q=%s", "", kStateNormal));
        f.Run(typed);
        EXPECT_EQ(Join(f.host.events), Join({"read", "wait", "restore", "failure(206,206)"}));
        EXPECT_EQ(f.host.box, typed);
    }
}

// An alias loaded whole from an earlier version's registry, its command or start directory
// longer than a line: refused as a line that grows too long, never launched cut.
TEST(Runner, AliasLongerThanALineLaunchesNothing) {
    std::string longText;  // 131 characters, 262 bytes
    for (int i = 0; i < 131; ++i) {
        longText += "\xC3\xA9";
    }
    for (const auto& [command, startPath] :
         {std::pair{longText, std::string("D:\\")}, std::pair{std::string("a.exe"), longText}}) {
        Fixture f;
        ASSERT_TRUE(AliasAdder(f.aliases, true).Add("old", command.c_str(), startPath.c_str(), 0));
        f.Run("old");
        EXPECT_EQ(Join(f.host.events), Join({"read", "wait", "restore", "failure(206,206)"}))
            << command.size() << " and " << startPath.size() << " bytes";
    }
}

// Declined, at any prompt: no further prompt, nothing recorded, the text stays.
TEST(Runner, ElevationDeclinedEndsTheRunWithNothingRecorded) {
    for (int declinedAt : {1, 2}) {
        SCOPED_TRACE("declined at prompt " + std::to_string(declinedAt));
        Fixture f;
        f.host.elevatedResults[declinedAt == 1 ? "a" : "b"] = {LaunchStatus::kDeclined, 1223, 0};
        f.host.box = "a*b*c";
        RunCommandBox(f.host, f.environment, f.aliases, f.settings, true);
        std::vector<std::string> expected = {"read", "wait", "runas(a)"};
        if (declinedAt == 2) {
            expected.push_back("runas(b)");
        }
        expected.push_back("restore");
        EXPECT_EQ(Join(f.host.events), Join(expected));
        EXPECT_EQ(f.host.box, "a*b*c");
    }
}

// A program chosen in the list starts as that program, no line of its name tried first: recorded
// when it started, its failure shown, nothing at all when the shell declined or spoke itself.
TEST(Runner, ChosenProgramStartsAsTheProgram) {
    const struct {
        LaunchResult result;
        int recorded;  // history entries made
        int failures;  // failure messages shown
    } cases[] = {{kStarted, 1, 0},
                 {{LaunchStatus::kFailed, 5, 0}, 0, 1},
                 {{LaunchStatus::kDeclined, 1223, 0}, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.result.status));
        Fixture f;
        f.host.programResults["Visual Studio Code"] = c.result;
        f.host.box = "Visual Studio Code";
        const RunOutcome outcome =
            RunCommandBox(f.host, f.environment, f.aliases, f.settings, true, true);
        EXPECT_EQ(Join(f.host.launches), "[program runas Visual Studio Code] ");
        EXPECT_EQ(f.host.Count("history(Visual Studio Code)"), c.recorded) << Join(f.host.events);
        EXPECT_EQ(f.host.Count("failure(5,0)"), c.failures) << Join(f.host.events);
        EXPECT_EQ(outcome.recorded, c.recorded == 1);
    }
}

// A typed line of one command, no alias, that neither the shell nor process creation finds
// runs the first suggestion for it instead, recorded as that suggestion; nothing else is ever
// redirected, nor to a session command.

struct RedirectCase {
    const char* name;
    const char* typed;
    std::map<std::string, LaunchResult> failing;  // of lines, or of programs when elevated
    const char* suggestion;                       // the first for the typed text, or null
    std::vector<std::string> launches;
    const char* result;  // "history(...)" when the suggestion ran, else the failure shown
    bool elevated;
};

class Redirect : public ::testing::TestWithParam<RedirectCase> {};

TEST_P(Redirect, LineThatNothingFindsRunsTheFirstSuggestion) {
    const RedirectCase& c = GetParam();
    Fixture f;
    ASSERT_TRUE(AddAlias(f.aliases, "calc", "calc.exe", "D:\\", kStateNormal));
    ASSERT_TRUE(AddAlias(f.aliases, "ed", "missing.exe", "D:\\", kStateNormal));
    (c.elevated ? f.host.elevatedResults : f.host.results) = c.failing;
    if (c.suggestion != nullptr) {
        f.environment.suggestions = {{c.typed, c.suggestion}};
    }
    f.environment.programs = {"Visual Studio Code"};
    f.host.box = c.typed;
    const RunOutcome outcome =
        RunCommandBox(f.host, f.environment, f.aliases, f.settings, c.elevated);
    EXPECT_EQ(Join(f.host.launches), Join(c.launches));
    EXPECT_EQ(f.host.Count("history(") + f.host.Count("failure("), 1) << Join(f.host.events);
    EXPECT_EQ(f.host.Count(c.result), 1) << Join(f.host.events);
    const bool redirected = std::strncmp(c.result, "history(", 8) == 0;
    EXPECT_EQ(f.host.box, redirected ? "" : c.typed);
    EXPECT_EQ(outcome.recorded && outcome.redirected, redirected);
    EXPECT_STREQ(outcome.entry, redirected ? c.suggestion : "");
    EXPECT_STREQ(outcome.typed, c.typed);
}

void PrintTo(const RedirectCase& c, std::ostream* os) {
    *os << c.name;
}

// Lines and the shell's and process creation's codes of their failures.
using Codes = std::map<std::string, std::pair<int, int>>;

RedirectCase Row(const char* name, const char* typed, const Codes& failing, const char* suggestion,
                 std::vector<std::string> launches, const char* result, bool elevated = false) {
    RedirectCase row{name, typed, {}, suggestion, std::move(launches), result, elevated};
    for (const auto& [line, codes] : failing) {
        row.failing[line] = {LaunchStatus::kFailed, codes.first, codes.second};
    }
    return row;
}

const Codes kCalNotFound = {{"cal", {2, 2}}};
const std::vector<std::string> kRedirected = {"cal|C:\\|1", "calc.exe|D:\\|1"};

INSTANTIATE_TEST_SUITE_P(
    Runner, Redirect,
    ::testing::Values(
        Row("file not found", "cal", kCalNotFound, "calc", kRedirected, "history(calc)"),
        Row("path not found", "C:\\Progr", {{"C:\\Progr", {3, 2}}}, "C:\\Program Files\\",
            {"C:\\Progr|C:\\|1", "C:\\Program Files\\|C:\\|1"}, "history(C:\\Program Files\\)"),
        Row("elevated", "cal", {{"cal", {2, 0}}}, "calc",
            {"runas cal||C:\\|1", "runas calc.exe||D:\\|1"}, "history(calc)", true),
        Row("a word after an alias without placeholders", "calc x", {{"calc x", {2, 2}}}, "calc",
            {"calc x|C:\\|1", "calc.exe|D:\\|1"}, "history(calc)"),
        Row("a star that ends the line", "cal*", {{"cal*", {2, 2}}}, "calc",
            {"cal*|C:\\|1", "calc.exe|D:\\|1"}, "history(calc)"),
        Row("found but refused", "cal", {{"cal", {5, 5}}}, "calc", {"cal|C:\\|1"}, "failure(5,5)"),
        Row("no suggestion", "cal", kCalNotFound, nullptr, {"cal|C:\\|1"}, "failure(2,2)"),
        Row("several commands", "cal*x", {{"x", {2, 2}}}, "calc", {"cal|C:\\|1", "x|C:\\|1"},
            "failure(2,2)"),
        Row("an alias", "ed", {{"missing.exe", {2, 2}}}, "edit", {"missing.exe|D:\\|1"},
            "failure(2,2)"),
        Row("a session command is no suggestion", "!shut", {{"!shut", {2, 2}}}, "!shutdown",
            {"!shut|C:\\|1"}, "failure(2,2)"),
        Row("the line itself is no suggestion", "cal", kCalNotFound, "CAL", {"cal|C:\\|1"},
            "failure(2,2)"),
        Row("the suggestion fails too", "cal", {{"cal", {2, 2}}, {"calc.exe", {2, 2}}}, "calc",
            kRedirected, "failure(2,2)"),
        Row("a program", "vsc", {{"vsc", {2, 2}}}, "Visual Studio Code",
            {"vsc|C:\\|1", "program Visual Studio Code"}, "history(Visual Studio Code)"),
        Row("a program named as typed", "visual studio code", {{"visual studio code", {2, 2}}},
            "Visual Studio Code", {"visual studio code|C:\\|1", "program Visual Studio Code"},
            "history(Visual Studio Code)"),
        Row("a program elevated", "vsc", {{"vsc", {2, 0}}}, "Visual Studio Code",
            {"runas vsc||C:\\|1", "program runas Visual Studio Code"},
            "history(Visual Studio Code)", true)),
    case_name::By(&RedirectCase::name));

}  // namespace
