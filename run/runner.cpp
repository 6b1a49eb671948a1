#include "run/runner.h"

#include "run/command_line.h"
#include "state/session_commands.h"
#include "state/text.h"

namespace {

// The error code reported for a command that would be longer than 260 characters once its
// variables are expanded and its arguments put in (ERROR_FILENAME_EXCED_RANGE).
constexpr int kErrorTooLong = 206;

const char kProgramUnclearText[] =
    "More than one program fits the start of the line. Put the program in double quotes.";

// What is shown for a line that is not launched at all.
void ReportProblem(RunnerHost& host, LineProblem problem) {
    if (problem == LineProblem::kProgramUnclear) {
        host.ShowWarning(kProgramUnclearText);
    } else {
        host.ReportLaunchFailure(kErrorTooLong, kErrorTooLong);
    }
}

// An empty box, or text that begins with a space or '*', is no command.
bool IsRefused(const char* entered) {
    return entered[0] == '\0' || entered[0] == ' ' || entered[0] == '*';
}

// Applies AfterCommand; true when the window has been destroyed.
bool ApplyAfterCommand(RunnerHost& host, std::int32_t afterCommand) {
    if (afterCommand == kAfterHide) {
        host.HideWindow();
    } else if (afterCommand == kAfterClose) {
        host.DestroyWindow();
        return true;
    }
    return false;
}

void RunSessionCommand(RunnerHost& host, const SessionCommandInfo& command, const char* entered,
                       const Settings& settings) {
    host.AddToHistory(entered);
    host.SaveState();
    host.FillHistoryList();
    host.SetCommandText("");
    const bool destroyed = ApplyAfterCommand(host, settings.AfterCommand);
    if (!host.EndSession(command.flags)) {
        host.ShowError(command.failure, !destroyed);
    }
    if (command.endsProgram && !destroyed && host.WindowExists()) {
        host.DestroyWindow();
    }
}

enum class LaunchOutcome { kStarted, kFailed, kDeclined };

// How every command of a run is launched.
struct RunMode {
    bool elevated;     // Control+Shift+Enter
    bool programEnds;  // AfterCommand Close
};

// One command: elevated through the "runas" verb, the program apart from its parameters,
// and what has no such verb (a document, a folder, a web address) opened as Enter opens it.
LaunchResult LaunchCommand(RunnerHost& host, const CommandLine& line,
                           const PreparedCommand& command, const RunMode& mode) {
    if (mode.elevated) {
        char program[kTextBuffer];
        char parameters[kTextBuffer];
        ProgramAndParameters(command, program, parameters);
        const LaunchResult result = host.LaunchElevated(program, parameters, line.startDir,
                                                        line.showCommand, mode.programEnds);
        if (result.status != LaunchStatus::kNoRunas) {
            return result;
        }
    }
    return host.Launch(command.text, line.startDir, line.showCommand, mode.programEnds);
}

// Launches the commands of `line` in order, each failure reported before the next command
// starts. The failure message's own message loop lets the tray menu end the program: once
// the window is gone, nothing more is launched. The last launch made decides, except that a
// declined elevation ends the run there and then (no second prompt), before the commands
// after it.
LaunchOutcome LaunchCommands(RunnerHost& host, const CommandLine& line, const RunMode& mode) {
    LaunchStatus last = LaunchStatus::kFailed;
    for (int i = 0; i < line.count && host.WindowExists(); ++i) {
        const LaunchResult result = LaunchCommand(host, line, line.commands[i], mode);
        last = result.status;
        if (last == LaunchStatus::kDeclined) {
            return LaunchOutcome::kDeclined;
        }
        if (last == LaunchStatus::kFailed) {
            host.ReportLaunchFailure(result.shellCode, result.createCode);
        }
    }
    return last == LaunchStatus::kStarted ? LaunchOutcome::kStarted : LaunchOutcome::kFailed;
}

// The line goes into the history as it was typed, and AfterCommand applies.
void Record(RunnerHost& host, const char* entered, const Settings& settings) {
    host.AddToHistory(entered);
    host.FillHistoryList();
    host.SetCommandText("");
    ApplyAfterCommand(host, settings.AfterCommand);
}

}  // namespace

void RunCommandBox(RunnerHost& host, RunnerEnvironment& environment, const AliasList& aliases,
                   const Settings& settings, bool elevated) {
    // Room for a line one character longer than any that runs, so that a line too long is
    // seen to be: whatever the cut between characters takes off, more than 260 bytes remain.
    char entered[kTextBuffer + kMaxCharBytes];
    entered[0] = '\0';
    host.ReadCommandText(entered, sizeof entered);

    if (IsRefused(entered)) {
        host.Beep();
        return;
    }
    // Recognised as typed: a variable never turns a line into a session command.
    if (const SessionCommandInfo* command = FindSessionCommand(entered)) {
        RunSessionCommand(host, *command, entered, settings);
        return;
    }

    host.ShowWaitCursor();
    // Large, but on the stack only for the run: every command is prepared before the first
    // one starts.
    CommandLine line;
    const LineProblem problem =
        PrepareCommandLine(environment, aliases, settings.StartPath, entered, elevated, line);
    if (problem != LineProblem::kNone) {
        host.RestoreCursor();
        ReportProblem(host, problem);
        return;
    }
    const RunMode mode = {elevated, settings.AfterCommand == kAfterClose};
    const LaunchOutcome outcome = LaunchCommands(host, line, mode);
    host.RestoreCursor();

    if (outcome == LaunchOutcome::kStarted && host.WindowExists()) {
        Record(host, entered, settings);
    }
}
