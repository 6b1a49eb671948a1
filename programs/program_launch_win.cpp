// Starting a program of the index the way Start starts it.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <cstring>

#include "programs/programs_win.h"
#include "state/process_win.h"

namespace {

const GUID kShellLink = {0x00021401, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kShellLinkW = {0x000214f9, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kPersistFile = {0x0000010b, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

bool EndsWithNoCase(const char* text, const char* ending) {
    const std::size_t length = std::strlen(text);
    const std::size_t n = std::strlen(ending);
    return length >= n && TextEqualNoCase(text + length - n, ending);
}

// One request to the shell. `quiet` keeps the shell's own error messages back, so that the
// caller can show the launcher's; otherwise a failure has been shown already.
ProgramLaunch Shell(const char* verb, const char* file, const char* directory, bool quiet,
                    bool wait) {
    SHELLEXECUTEINFOA shell;
    ZeroMemory(&shell, sizeof shell);
    shell.cbSize = sizeof shell;
    shell.fMask = (quiet ? SEE_MASK_FLAG_NO_UI : 0) | (wait ? SEE_MASK_NOASYNC : 0);
    shell.hwnd = g_app.window;
    shell.lpVerb = verb;
    shell.lpFile = file;
    shell.lpDirectory = directory != nullptr && directory[0] != '\0' ? directory : nullptr;
    shell.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExA(&shell)) {
        return {ProgramStart::kStarted, 0, 0};
    }
    const int code = static_cast<int>(GetLastError());
    const bool shown = code == ERROR_CANCELLED || !quiet;
    return {shown ? ProgramStart::kCancelled : ProgramStart::kFailed, code, 0};
}

// Process creation of the program at `path`, as the launcher falls back on it.
ProgramLaunch Create(const char* path, const char* directory, ProgramLaunch shell) {
    char line[kTextBuffer + 2];
    wsprintfA(line, "\"%s\"", path);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (CreateProcessA(path, line, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                       directory != nullptr && directory[0] != '\0' ? directory : nullptr, &startup,
                       &process)) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return {ProgramStart::kStarted, 0, 0};
    }
    return {ProgramStart::kFailed, shell.shellCode, static_cast<int>(GetLastError())};
}

// "runas" on the target of the shortcut at `path`, with the shortcut's arguments, start folder
// and window state. Windows raises a shortcut file itself; Wine (8) takes the file for a
// program and fails with ERROR_BAD_EXE_FORMAT, so it is read and its target raised instead.
ProgramLaunch RaiseTarget(const char* path, ProgramLaunch shell) {
    WCHAR file[kTextBuffer];
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    SHELLEXECUTEINFOW raise;
    ZeroMemory(&raise, sizeof raise);
    WCHAR target[MAX_PATH] = L"";
    WCHAR arguments[INFOTIPSIZE] = L"";
    WCHAR folder[MAX_PATH] = L"";
    int show = SW_SHOWNORMAL;
    const bool read =
        TextToWide(path, file, kTextBuffer) &&
        SUCCEEDED(CoCreateInstance(kShellLink, nullptr, CLSCTX_INPROC_SERVER, kShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(kPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file, STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) && target[0] != L'\0' &&
        SUCCEEDED(link->GetArguments(arguments, INFOTIPSIZE)) &&
        SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) &&
        SUCCEEDED(link->GetShowCmd(&show));
    if (persist != nullptr) {
        persist->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    if (!read) {
        return shell;
    }
    raise.cbSize = sizeof raise;
    raise.fMask = SEE_MASK_FLAG_NO_UI;
    raise.hwnd = g_app.window;
    raise.lpVerb = L"runas";
    raise.lpFile = target;
    raise.lpParameters = arguments[0] != L'\0' ? arguments : nullptr;
    raise.lpDirectory = folder[0] != L'\0' ? folder : nullptr;
    raise.nShow = show;
    if (ShellExecuteExW(&raise)) {
        return {ProgramStart::kStarted, 0, 0};
    }
    const int code = static_cast<int>(GetLastError());
    return {code == ERROR_CANCELLED ? ProgramStart::kCancelled : ProgramStart::kFailed, code, 0};
}

}  // namespace

ProgramLaunch LaunchProgram(const ProgramIndex* index, int program, bool elevated,
                            const char* startDir, bool programEnds) {
    char target[kTextBuffer];
    ProgramTarget(index, program, target, sizeof target);
    if (target[0] == '\0') {
        return {ProgramStart::kFailed, ERROR_FILE_NOT_FOUND, 0};
    }
    switch (ProgramSourceOf(index, program)) {
        case ProgramSource::kUserShortcut:
        case ProgramSource::kCommonShortcut: {
            // The shortcut carries its own start folder; the shell tells of a broken one.
            if (!elevated || !EndsWithNoCase(target, ".lnk")) {
                return Shell("open", target, nullptr, false, programEnds);
            }
            const ProgramLaunch shell = Shell("runas", target, nullptr, true, programEnds);
            return shell.shellCode == ERROR_BAD_EXE_FORMAT ? RaiseTarget(target, shell) : shell;
        }
        case ProgramSource::kUserAppPath:
        case ProgramSource::kMachineAppPath: {
            const char* folder = ProgramStartFolder(index, program);
            const char* directory = folder[0] != '\0' ? folder : startDir;
            const ProgramLaunch shell =
                Shell(elevated ? "runas" : "open", target, directory, true, programEnds);
            // Process creation cannot raise rights, nor start what the user declined.
            return shell.outcome == ProgramStart::kFailed && !elevated
                       ? Create(target, directory, shell)
                       : shell;
        }
        case ProgramSource::kStoreApp: {
            char address[kTextBuffer + 20];
            wsprintfA(address, "shell:AppsFolder\\%s", target);
            return Shell("open", address, nullptr, true, programEnds);
        }
    }
    return {ProgramStart::kFailed, ERROR_FILE_NOT_FOUND, 0};
}
