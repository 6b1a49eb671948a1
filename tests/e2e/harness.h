// Drives the real zantrel.exe from outside, as the user and the system would: starts it,
// finds its windows, posts commands, notifications and keys, reads what it shows and the
// registry it wrote, answers its message boxes and ends every process it started.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

constexpr DWORD kWaitMs = 10000;

// Polls `condition` every few milliseconds until it holds or `timeoutMs` passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// The folder of the test program; zantrel.exe and the helper programs lie beside it.
std::string ExeDir();

// One started zantrel.exe, or another program: one of the build (a name beside the test
// program) or any other given by its full path, with optional arguments. It starts in
// its own folder.
class Program {
  public:
    explicit Program(std::string exeName = "zantrel.exe", std::string arguments = "")
        : exe_(std::move(exeName)), arguments_(std::move(arguments)) {}
    ~Program() { Kill(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the program and waits until it is idle in its message loop.
    bool Start();
    // The program's top-level window of class "Zantrel" (null when it has none).
    HWND Window() const;
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    bool Running() const;
    // Waits for the end of the process; false when it still runs after `timeoutMs`.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode);
    void Kill();

  private:
    std::string exe_;
    std::string arguments_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// ---- Windows of other processes

HWND FindTopWindow(DWORD pid, const char* className, bool visibleOnly);
// Every visible top-level window of the process with that class, in z-order.
std::vector<HWND> VisibleTopWindows(DWORD pid, const char* className);
std::string WindowText(HWND window);
std::string ClassOf(HWND window);
bool IsShown(HWND window);
RECT WindowRect(HWND window);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);
HWND CommandBox(HWND window);
std::string ComboText(HWND window);
std::vector<std::string> ComboItems(HWND window);
void SetComboText(HWND window, const std::string& text);
void PostCommand(HWND window, WORD id);
// Presses and releases a key through the system's input queue (goes to the focus).
void PressKey(WORD vk);
void PressKeys(const std::vector<WORD>& modifiers, WORD vk);
// Number of icons in the notification area.
int TrayIconCount();

// ---- Message boxes

enum class BoxIcon { None, Error, Warning, Question, Information };

struct MessageBoxInfo {
    HWND box = nullptr;
    std::string title;
    std::string text;
    std::vector<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO... present
    BoxIcon icon = BoxIcon::None;
};

// Waits for a visible message box of process `pid` and reads it; with `owner`, only a box
// owned by that window counts (so that a dialog of the same class is not taken for one).
bool WaitForMessageBox(DWORD pid, MessageBoxInfo* info, DWORD timeoutMs = kWaitMs,
                       HWND owner = nullptr);
// True when the process shows no message box now.
bool NoMessageBox(DWORD pid);
void Answer(const MessageBoxInfo& info, int button);
const char* IconName(BoxIcon icon);

// ---- Launches observed through the recorder helper (tests/helpers/recorder.cpp)

// What a started recorder.exe wrote about itself.
struct Record {
    bool exists = false;
    std::string commandLine;
    std::string directory;
    int show = -2;
};

Record ReadRecord(const std::string& path);
bool FileExists(const std::string& path);
// A new folder of this test run under the temporary folder, named after `name`.
std::string MakeTempFolder(const std::string& name);

// While it lives, the shell opens files with `extension` (".txt") through `command` (with
// "%1" for the file); the earlier association comes back when it goes.
class FileTypeHandler {
  public:
    FileTypeHandler(const std::string& extension, const std::string& command);
    ~FileTypeHandler();
    FileTypeHandler(const FileTypeHandler&) = delete;
    FileTypeHandler& operator=(const FileTypeHandler&) = delete;
    bool ok() const { return ok_; }

  private:
    std::string extension_;
    std::string oldClass_;  // "<missing>" when the extension had none
    bool ok_ = false;
};

// ---- Registry (the test program runs in the same Wine prefix as the program)

extern const char kMainKey[];  // Software\Corvath Software\Zantrel
extern const char kAliasKey[];
extern const char kHistoryKey[];
extern const char kRunKey[];

// Removes every key and value that the program writes, and the machine-wide key.
void ClearProgramState();
// Writes the three per-user keys so that the next start is not a first start.
void MakeReturningUser();
bool SetValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
              DWORD size);
bool SetDword(const char* path, const char* name, DWORD value);
bool SetString(const char* path, const char* name, const std::string& value);
// Writes alias n as the program stores it: "A%d", "C%d", "P%d" and "W%d".
bool SetStoredAlias(int n, const std::string& name, const std::string& command,
                    const std::string& path, DWORD state);
bool ValueExists(HKEY root, const char* path, const char* name);
bool ReadDword(const char* path, const char* name, DWORD* value);
bool ReadBytes(HKEY root, const char* path, const char* name, std::vector<unsigned char>* data,
               DWORD* type);
std::string ReadString(HKEY root, const char* path, const char* name);

}  // namespace e2e
