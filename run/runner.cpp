#include "run/runner.h"

#include "run/command_line.h"
#include "state/session_commands.h"
#include "state/text.h"

namespace {

// The error code reported for a command that would be longer than 260 characters once its
// variables are expanded and its arguments put in (ERROR_FILENAME_EXCED_RANGE).
constexpr int kErrorTooLong = 206;
// What the shell and process creation report when they find nothing (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND).
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;

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

// Neither the shell nor process creation found what the command names ("file not found",
// "path not found"); an elevated launch tries no process creation, whose code is then 0.
bool NothingFound(const LaunchResult& result) {
    const auto notFound = [](int code) {
        return code == kErrorFileNotFound || code == kErrorPathNotFound;
    };
    return notFound(result.shellCode) && (result.createCode == 0 || notFound(result.createCode));
}

enum class RunStatus {
    kStarted,
    kFailed,    // the last launch failed, and its failure has been shown
    kDeclined,  // the user declined an elevation
    kRefused,   // nothing launched: the line's problem is still to be shown
    kNotFound,  // nothing found the line's one command: its failure is still to be shown
};

struct LineRun {
    RunStatus status;
    LineProblem problem;  // kRefused
    LaunchResult failed;  // kNotFound
};

// The installed program `name`, its failure shown.
LineRun RunProgram(RunnerHost& host, const RunMode& mode, const char* name) {
    const LaunchResult result = host.LaunchProgram(name, mode.elevated, mode.programEnds);
    if (result.status == LaunchStatus::kStarted) {
        return LineRun{RunStatus::kStarted, LineProblem::kNone, {}};
    }
    if (result.status == LaunchStatus::kFailed) {
        host.ReportLaunchFailure(result.shellCode, result.createCode);
        return LineRun{RunStatus::kFailed, LineProblem::kNone, {}};
    }
    return LineRun{RunStatus::kDeclined, LineProblem::kNone, {}};
}

// Launches the commands of `line` in order, each failure shown before the next command
// starts; the failure message's own message loop lets the tray menu end the program, and
// once the window is gone nothing more is launched. The last launch made decides, except
// that a declined elevation ends the run there and then (no second prompt), before the
// commands after it. When `mayRedirect`, a failure that found nothing is left to the caller.
LineRun LaunchCommands(RunnerHost& host, const CommandLine& line, const RunMode& mode,
                       bool mayRedirect) {
    LineRun run = {RunStatus::kFailed, LineProblem::kNone, {}};
    for (int i = 0; i < line.count && host.WindowExists(); ++i) {
        const LaunchResult result = LaunchCommand(host, line, line.commands[i], mode);
        if (result.status == LaunchStatus::kDeclined) {
            return LineRun{RunStatus::kDeclined, LineProblem::kNone, result};
        }
        run.status =
            result.status == LaunchStatus::kStarted ? RunStatus::kStarted : RunStatus::kFailed;
        if (run.status == RunStatus::kFailed && mayRedirect && NothingFound(result)) {
            return LineRun{RunStatus::kNotFound, LineProblem::kNone, result};
        }
        if (run.status == RunStatus::kFailed) {
            host.ReportLaunchFailure(result.shellCode, result.createCode);
        }
    }
    return run;
}

// Resolves, prepares and launches the line `text`. `mayRedirect`: the typed line, which the
// first suggestion may replace when it is one command that is no alias and nothing finds it.
LineRun RunLine(RunnerHost& host, RunnerEnvironment& environment, const AliasList& aliases,
                const Settings& settings, const RunMode& mode, const char* text, bool mayRedirect,
                CommandLine& line) {
    const LineProblem problem =
        PrepareCommandLine(environment, aliases, settings.StartPath, text, mode.elevated, line);
    if (problem != LineProblem::kNone) {
        return LineRun{RunStatus::kRefused, problem, {}};
    }
    return LaunchCommands(host, line, mode, mayRedirect && !line.fromAlias && line.count == 1);
}

// The entry that runs in place of a typed line that nothing finds: the first suggestion for
// it, unless that is a session command (never run in place of a line) or the line itself
// (which has just failed), but for a program of that name (`*isProgram`).
bool FindRedirect(RunnerEnvironment& environment, const char* entered, char* entry,
                  bool* isProgram) {
    *isProgram = false;
    return environment.FirstSuggestion(entered, entry, isProgram) && !IsSessionCommandName(entry) &&
           (*isProgram || !TextEqualNoCase(entry, entered));
}

// The line goes into the history as it ran, and AfterCommand applies.
void Record(RunnerHost& host, const char* ran, const Settings& settings) {
    host.AddToHistory(ran);
    host.FillHistoryList();
    host.SetCommandText("");
    ApplyAfterCommand(host, settings.AfterCommand);
}

}  // namespace

RunOutcome RunCommandBox(RunnerHost& host, RunnerEnvironment& environment, const AliasList& aliases,
                         const Settings& settings, bool elevated, bool asProgram) {
    RunOutcome outcome = {false, false, "", ""};
    char entered[kEnteredBuffer];
    entered[0] = '\0';
    host.ReadCommandText(entered, sizeof entered);
    CopyText(outcome.typed, entered, sizeof outcome.typed);

    if (IsRefused(entered)) {
        host.Beep();
        return outcome;
    }
    // Recognised as typed: a variable never turns a line into a session command.
    if (const SessionCommandInfo* command = FindSessionCommand(entered)) {
        RunSessionCommand(host, *command, entered, settings);
        outcome.recorded = true;
        CopyText(outcome.entry, entered, sizeof outcome.entry);
        return outcome;
    }

    host.ShowWaitCursor();
    const RunMode mode = {elevated, settings.AfterCommand == kAfterClose};
    // Large, but on the stack only for the run: every command is prepared before the first
    // one starts.
    CommandLine line;
    LineRun run = asProgram
                      ? RunProgram(host, mode, entered)
                      : RunLine(host, environment, aliases, settings, mode, entered, true, line);
    const char* ran = entered;
    char suggestion[kTextBuffer];
    if (run.status == RunStatus::kNotFound) {
        bool isProgram = false;
        outcome.redirected = FindRedirect(environment, entered, suggestion, &isProgram);
        if (outcome.redirected) {
            ran = suggestion;
            run = isProgram ? RunProgram(host, mode, suggestion)
                            : RunLine(host, environment, aliases, settings, mode, suggestion, false,
                                      line);
        } else {
            host.ReportLaunchFailure(run.failed.shellCode, run.failed.createCode);
        }
    }
    host.RestoreCursor();

    if (run.status == RunStatus::kRefused) {
        ReportProblem(host, run.problem);
    } else if (run.status == RunStatus::kStarted && host.WindowExists()) {
        Record(host, ran, settings);
        outcome.recorded = true;
        CopyText(outcome.entry, ran, sizeof outcome.entry);
    }
    return outcome;
}
