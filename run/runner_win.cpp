#include "run/runner_win.h"

#include "res/resource.h"
#include "run/environment_win.h"
#include "run/launcher.h"
#include "programs/programs_win.h"
#include "run/runner.h"
#include "state/history.h"
#include "state/process_win.h"
#include "state/state_win.h"
#include "state/text.h"

namespace {

// Starts the installed program `name` from the latest index, an App Paths program without a
// folder of its own in the default start folder.
LaunchResult LaunchNamedProgram(const char* name, bool elevated, bool programEnds) {
    ProgramSnapshot programs;
    const int program = FindProgram(programs.Index(), name);
    char startDir[kTextBuffer];
    if (program < 0) {
        return LaunchResult{LaunchStatus::kFailed, ERROR_FILE_NOT_FOUND, 0};
    }
    if (!ExpandEnvironment(g_state.settings.StartPath, startDir, sizeof startDir)) {
        startDir[0] = '\0';
    }
    const ProgramLaunch launch =
        ::LaunchProgram(programs.Index(), program, elevated, startDir, programEnds);
    switch (launch.outcome) {
        case ProgramStart::kStarted:
            return LaunchResult{LaunchStatus::kStarted, 0, 0};
        case ProgramStart::kCancelled:
            return LaunchResult{LaunchStatus::kDeclined, launch.shellCode, 0};
        case ProgramStart::kFailed:
            break;
    }
    return LaunchResult{LaunchStatus::kFailed, launch.shellCode, launch.createCode};
}

class WindowRunnerHost final : public RunnerHost {
  public:
    WindowRunnerHost(HWND window, const char* typed) : window_(window), typed_(typed) {}

    void ReadCommandText(char* buffer, int capacity) override {
        CopyText(buffer, typed_, static_cast<std::size_t>(capacity));
    }
    void SetCommandText(const char* text) override {
        SetDlgItemTextA(window_, IDC_COMMAND_BOX, text);
    }
    void Beep() override { MessageBeep(MB_OK); }
    void ShowWaitCursor() override { saved_ = SetCursor(LoadCursorA(NULL, IDC_WAIT)); }
    void RestoreCursor() override { SetCursor(saved_); }
    LaunchResult Launch(const char* commandLine, const char* startDir, int showCommand,
                        bool programEnds) override {
        return Launcher(commandLine, startDir, showCommand, programEnds);
    }
    LaunchResult LaunchElevated(const char* program, const char* parameters, const char* startDir,
                                int showCommand, bool programEnds) override {
        return LauncherElevated(program, parameters, startDir, showCommand, programEnds);
    }
    LaunchResult LaunchProgram(const char* name, bool elevated, bool programEnds) override {
        return LaunchNamedProgram(name, elevated, programEnds);
    }
    void ReportLaunchFailure(int shellCode, int createCode) override {
        ShowLaunchFailure(shellCode, createCode);
    }
    bool EndSession(std::uint32_t flags) override { return SessionCommand(flags); }
    void AddToHistory(const char* text) override {
        const bool full = g_state.history.Slots[kHistorySlots - 1][0] != '\0';
        added_ = ::AddToHistory(g_state.history, text);
        lastDropped_ = added_ && full;
    }
    // The list follows the history's one change, if it made one.
    void FillHistoryList() override {
        if (added_) {
            ShowNewHistoryEntry(lastDropped_);
        }
    }
    void SaveState() override { ::SaveState(); }
    void HideWindow() override { ShowWindow(window_, SW_HIDE); }
    void DestroyWindow() override { ::DestroyWindow(window_); }
    bool WindowExists() override { return IsWindow(window_) != FALSE; }
    void ShowError(const char* text, bool windowAlive) override {
        ShowMessage(windowAlive ? window_ : NULL, text, MB_ICONERROR | MB_OK);
    }
    void ShowWarning(const char* text) override {
        ShowMessage(window_, text, MB_ICONWARNING | MB_OK);
    }

  private:
    HWND window_;
    const char* typed_;
    HCURSOR saved_ = NULL;
    bool added_ = false;
    bool lastDropped_ = false;
};

class WindowsEnvironment final : public RunnerEnvironment {
  public:
    explicit WindowsEnvironment(FirstSuggestionFunction firstSuggestion)
        : firstSuggestion_(firstSuggestion) {}

    bool FileExists(const char* path) override { return IsExistingFile(path); }
    bool ExpandVariables(const char* text, char* buffer, int capacity) override {
        return ExpandEnvironment(text, buffer, capacity);
    }
    bool FirstSuggestion(const char* typed, char* entry, bool* isProgram) override {
        return firstSuggestion_ != nullptr && firstSuggestion_(typed, entry, isProgram);
    }

  private:
    FirstSuggestionFunction firstSuggestion_;
};

}  // namespace

RunOutcome CommandRunner(HWND window, const char* typed, bool elevated,
                         FirstSuggestionFunction firstSuggestion, bool asProgram) {
    WindowRunnerHost host(window, typed);
    WindowsEnvironment environment(firstSuggestion);
    return RunCommandBox(host, environment, g_state.aliases, g_state.settings, elevated, asProgram);
}
