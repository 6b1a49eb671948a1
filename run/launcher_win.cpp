#include <windows.h>
#include <shellapi.h>

#include "run/launcher.h"
#include "state/process_win.h"
#include "state/text.h"

namespace {

// An empty start directory means "no particular directory": process creation refuses ""
// as a current directory, so both ways get none and inherit the program's own.
const char* DirectoryOrNull(const char* startDir) {
    return (startDir != NULL && startDir[0] != '\0') ? startDir : NULL;
}

// The shell shows no error dialog of its own. A program that ends right after the call must
// let the shell finish first: its documentation asks for SEE_MASK_NOASYNC then.
ULONG ShellMask(bool programEnds) {
    return SEE_MASK_FLAG_NO_UI | (programEnds ? SEE_MASK_NOASYNC : 0);
}

}  // namespace

LaunchResult Launcher(const char* commandLine, const char* startDir, int showCommand,
                      bool programEnds) {
    const char* directory = DirectoryOrNull(startDir);

    SHELLEXECUTEINFOA shell;
    ZeroMemory(&shell, sizeof shell);
    shell.cbSize = sizeof shell;
    shell.fMask = ShellMask(programEnds);
    shell.lpVerb = "open";
    shell.lpFile = commandLine;
    shell.lpDirectory = directory;
    shell.nShow = showCommand;
    if (ShellExecuteExA(&shell)) {
        return LaunchResult{LaunchStatus::kStarted, 0, 0};
    }
    const int shellError = static_cast<int>(GetLastError());

    // Process creation may write into the command line: it gets its own copy.
    char line[kTextBuffer];
    CopyText(line, commandLine, sizeof line);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (CreateProcessA(NULL, line, NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, directory,
                       &startup, &process)) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return LaunchResult{LaunchStatus::kStarted, 0, 0};
    }
    return LaunchResult{LaunchStatus::kFailed, shellError, static_cast<int>(GetLastError())};
}

LaunchResult LauncherElevated(const char* program, const char* parameters, const char* startDir,
                              int showCommand, bool programEnds) {
    SHELLEXECUTEINFOA shell;
    ZeroMemory(&shell, sizeof shell);
    shell.cbSize = sizeof shell;
    shell.fMask = ShellMask(programEnds);
    shell.hwnd = g_app.window;  // the consent prompt belongs to the command window
    shell.lpVerb = "runas";
    shell.lpFile = program;
    shell.lpParameters = parameters[0] != '\0' ? parameters : NULL;
    shell.lpDirectory = DirectoryOrNull(startDir);
    shell.nShow = showCommand;
    if (ShellExecuteExA(&shell)) {
        return LaunchResult{LaunchStatus::kStarted, 0, 0};
    }
    const DWORD shellError = GetLastError();
    // The shell's own code says that nothing is registered for the verb (Windows sets
    // ERROR_NO_ASSOCIATION, Wine other codes beside it).
    const LaunchStatus status = shellError == ERROR_CANCELLED ? LaunchStatus::kDeclined
                                : reinterpret_cast<INT_PTR>(shell.hInstApp) == SE_ERR_NOASSOC
                                    ? LaunchStatus::kNoRunas
                                    : LaunchStatus::kFailed;
    return LaunchResult{status, static_cast<int>(shellError), 0};
}

void ShowLaunchFailure(int shellCode, int createCode) {
    char message[128];
    wsprintfA(message, "Problem executing command.\r\n\r\nError codes: %d, %d", shellCode,
              createCode);
    ShowMessage(g_app.window, message, MB_ICONERROR | MB_OK);
}
