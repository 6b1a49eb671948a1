// The rules of running the command box, apart from the window system: what is refused,
// what is a session command, what is launched with which directory and show command,
// and what happens to the history and the window afterwards. The Win32 side supplies a
// RunnerHost that maps each step onto the real window, launcher and state, and a
// RunnerEnvironment (run/environment.h) that answers the runner's questions.
#pragma once

#include <cstdint>

#include "run/environment.h"
#include "state/alias_list.h"
#include "state/settings.h"
#include "state/text.h"

// How a launch ended, with the error codes of a failure (GetLastError's), for the runner
// to report or to act on.
enum class LaunchStatus {
    kStarted,
    kFailed,
    kDeclined,  // the user declined the elevation; nothing is to be shown
    kNoRunas,   // what was named (a document, a folder, a web address) has no "runas" verb
};

struct LaunchResult {
    LaunchStatus status;
    int shellCode;   // the shell's error code, when it failed
    int createCode;  // process creation's, when it failed too; 0 when it was not tried
};

// What the runner does to the world, one call per visible step.
class RunnerHost {
  public:
    // Reads the command box into `buffer`: at most `capacity` - 1 bytes, cut between
    // characters, always terminated.
    virtual void ReadCommandText(char* buffer, int capacity) = 0;
    virtual void SetCommandText(const char* text) = 0;
    virtual void Beep() = 0;
    // Shows the wait cursor and keeps the one it replaces; RestoreCursor puts that back.
    virtual void ShowWaitCursor() = 0;
    virtual void RestoreCursor() = 0;
    // One launch: the shell, then process creation. Shows nothing. `programEnds`: the program
    // ends right after this run (AfterCommand Close), so the shell must finish its work
    // before it returns.
    virtual LaunchResult Launch(const char* commandLine, const char* startDir, int showCommand,
                                bool programEnds) = 0;
    // One launch with administrator rights, the program and its parameters apart. Shows
    // nothing but the system's prompt.
    virtual LaunchResult LaunchElevated(const char* program, const char* parameters,
                                        const char* startDir, int showCommand,
                                        bool programEnds) = 0;
    // Starts the installed program of that name as Start starts it: its shortcut, App Paths
    // entry or Store app. Shows nothing but the shell's own messages; kDeclined when nothing
    // started and nothing is to be shown (a prompt declined, or the shell's message shown).
    virtual LaunchResult LaunchProgram(const char* name, bool elevated, bool programEnds) = 0;
    // The launcher's failure message with both error codes, modal.
    virtual void ReportLaunchFailure(int shellCode, int createCode) = 0;
    virtual bool EndSession(std::uint32_t flags) = 0;
    virtual void AddToHistory(const char* text) = 0;
    virtual void FillHistoryList() = 0;
    virtual void SaveState() = 0;
    virtual void HideWindow() = 0;
    virtual void DestroyWindow() = 0;
    // False once the command window is gone: destroyed by this run, or by a command that
    // reached it while a message box was up (the tray menu's "&Close"). From then on the
    // run launches nothing more and touches no window.
    virtual bool WindowExists() = 0;
    // An error message box. `windowAlive` is false once DestroyWindow has been called:
    // the message then has no owner.
    virtual void ShowError(const char* text, bool windowAlive) = 0;
    // A refusal of what was typed: a warning message box owned by the command window.
    virtual void ShowWarning(const char* text) = 0;

  protected:
    ~RunnerHost() = default;
};

// What a run of the command box came to, for a caller that learns from what the user ran.
// Room for the text of the command box as the runner reads it: one character more than any
// line that runs, so that a line too long is seen to be, whatever a cut between characters
// takes off.
constexpr int kEnteredBuffer = kTextBuffer + kMaxCharBytes;

struct RunOutcome {
    bool recorded;            // something started (or a session command ran): `entry` went into the
                              // history
    bool redirected;          // nothing found the typed line: the first suggestion for it was run
                              // instead, and `entry`, when recorded, is that suggestion's text
    char typed[kTextBuffer];  // the text of the box as it was read
    char entry[kTextBuffer];  // what ran and was recorded ("" when nothing was)
};

// Everything that happens for IDOK in the command window: the text of the box refused, run
// as a session command, or resolved and launched (run/command_line.h), then recorded.
// `elevated` (Control+Shift+Enter) launches every command through the shell's "runas" verb;
// when the user declines, the run ends there with nothing recorded and the window as it was.
// A typed line of one command that is no alias and that neither the shell nor process
// creation finds runs the environment's first suggestion for it instead, the same way; an
// installed program's name among them as the program (RunnerHost::LaunchProgram).
// `asProgram`: the text is the name of an installed program chosen in the suggestion list,
// started as that program at once.
RunOutcome RunCommandBox(RunnerHost& host, RunnerEnvironment& environment, const AliasList& aliases,
                         const Settings& settings, bool elevated = false, bool asProgram = false);
