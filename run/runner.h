// The rules of running the command box, apart from the window system: what is refused,
// what is a session command, what is launched with which directory and show command,
// and what happens to the history and the window afterwards. The Win32 side supplies a
// RunnerHost that maps each step onto the real window, launcher and state.
#pragma once

#include <cstdint>

#include "state/alias_list.h"
#include "state/settings.h"

// Show commands handed to the launcher (the values of SW_SHOWNORMAL, SW_SHOWMINIMIZED
// and SW_SHOWMAXIMIZED).
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

// How a launch through the shell's "runas" verb ended.
enum class ElevatedLaunch {
    kStarted,
    kFailed,     // the launcher has shown its failure message
    kCancelled,  // the user declined the elevation; nothing was shown
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
    // One launch; the launcher reports its own failure to the user.
    virtual bool Launch(const char* commandLine, const char* startDir, int showCommand) = 0;
    // One launch with administrator rights, the program and its parameters apart.
    virtual ElevatedLaunch LaunchElevated(const char* program, const char* parameters,
                                          const char* startDir, int showCommand) = 0;
    // True when `path` names an existing file, not a folder.
    virtual bool FileExists(const char* path) = 0;
    // Writes `text` with its %NAME% environment variables expanded into `buffer`; a name
    // that is not defined stays as it is. False, and `buffer` undefined, when the result
    // needs more than `capacity` - 1 characters.
    virtual bool ExpandVariables(const char* text, char* buffer, int capacity) = 0;
    // The launcher's failure message, for a launch that the runner itself refused.
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

  protected:
    ~RunnerHost() = default;
};

// The show command for an alias's window state.
int ShowCommandFor(std::uint32_t windowState);

// The number of commands in `line`: 1 plus each '*' followed by a character that is not
// the terminator, a space or another '*'.
int CountCommands(const char* line);

// Cuts the next piece of a multi-command line. `*cursor` points into the line; the piece
// (at most `capacity` - 1 characters) runs up to the next counting '*', or up to a '*'
// that ends the line, or up to the end. `*cursor` then points past that '*' (or at the
// terminator). A '*' that does not count stays inside the piece.
void CutPiece(const char** cursor, char* piece, int capacity);

// The error code reported for a command that would be longer than 260 characters once its
// variables are expanded and its arguments put in (ERROR_FILENAME_EXCED_RANGE): nothing of
// the line is launched.
constexpr int kErrorTooLong = 206;

// Splits a command into the program and its parameters (each kTextBuffer bytes) as process
// creation finds the program: the first part in double quotes; else the shortest part that
// ends before a space or at the end and names an existing file, by itself or with ".exe"
// added; else the part before the first space. The spaces after the program are dropped.
void SplitProgram(RunnerHost& host, const char* command, char* program, char* parameters);

// Everything that happens for IDOK in the command window. An alias is the whole line, or its
// first word when the alias's command holds a placeholder (%s, %1 ... %9), the rest of the
// line then being its arguments. `elevated` (Control+Shift+Enter) launches every command
// through the shell's "runas" verb; when the user declines, the run ends there with nothing
// recorded and the window as it was.
void RunCommandBox(RunnerHost& host, const AliasList& aliases, const Settings& settings,
                   bool elevated = false);
