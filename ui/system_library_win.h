// Libraries that the program loads while it runs, rather than at start-up: mapping them
// would cost every start of the program for a dialog or a viewer seldom opened.
#pragma once

#include <windows.h>

// Loads `name` (a file name such as "hhctrl.ocx") from the system folder only, never from
// the program's folder or the current one: a copy of the program unpacked into a download
// folder must not run a file of that name planted beside it. Null on failure.
HMODULE LoadSystemLibrary(const char* name);

// The address of `function` in the system library `library`, loaded by LoadSystemLibrary;
// null when either is missing (the library is then not kept loaded).
FARPROC FindSystemFunction(const char* library, const char* function);

// A function of a system library, found at its first use and kept, with its library, for
// the life of the process. Each is a global with a constant initialiser, so that nothing
// runs for it at start-up:
//   SystemFunction<FilePicker> g_openPicker("comdlg32.dll", "GetOpenFileNameA");
//   if (FilePicker open = g_openPicker.Get()) { open(&picker); }
template <typename Function>
class SystemFunction {
  public:
    constexpr SystemFunction(const char* library, const char* name)
        : library_(library), name_(name) {}

    // The function, looked up at the first call; null while it cannot be found (each call
    // then tries again).
    Function Get() {
        if (function_ == nullptr) {
            function_ = reinterpret_cast<Function>(
                reinterpret_cast<void*>(FindSystemFunction(library_, name_)));
        }
        return function_;
    }

    // What Get has found so far: null until a call of Get found the function.
    Function Found() const { return function_; }

  private:
    const char* library_;
    const char* name_;
    Function function_ = nullptr;
};

// Takes the program's folder and the current folder out of the places where the process
// looks for a library named without a path, for good: only the system folder is searched.
// Code of the system (shell extensions in the pickers, handlers that ShellExecuteEx loads)
// then never loads a file planted beside a copy of the program in a download folder. The
// first call of the program, before anything else can load a library. Where
// SetDefaultDllDirectories is missing (Windows 7 without update KB2533623), the current
// folder is taken out (SetDllDirectoryA("")) and the search for files runs in safe mode.
void RestrictLibrarySearch();
