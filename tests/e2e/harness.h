// Drives the real zantrel.exe from outside, as the user and the system would: starts it,
// finds its windows, posts commands, notifications and keys, reads what it shows and the
// registry it wrote, answers its message boxes and ends every process it started.
#pragma once

#include <windows.h>
#include <commctrl.h>

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
// Types a UTF-8 text character by character through the input queue, as Unicode key
// presses (KEYEVENTF_UNICODE).
void TypeText(const std::string& text);
// Number of icons in the notification area.
int TrayIconCount();

// ---- Dialogs and their controls (standard controls answer across processes)

// A visible dialog (#32770) of process `pid` with this caption and, unless null, this owner.
HWND FindDialog(DWORD pid, const std::string& caption, HWND owner = nullptr);
int CountDialogs(DWORD pid, const std::string& caption);
// Waits for such a dialog; null when none came.
HWND WaitForDialog(DWORD pid, const std::string& caption, HWND owner = nullptr,
                   DWORD timeoutMs = kWaitMs);
// Waits until `window` is destroyed or hidden.
bool WaitGone(HWND window, DWORD timeoutMs = kWaitMs);
// The first window below `parent` (at any depth) with this id and, unless null, this class.
HWND FindControl(HWND parent, int id, const char* className = nullptr);
std::string ControlText(HWND control);
void SetControlText(HWND control, const std::string& text);
bool IsChecked(HWND button);
// Clicks a button as the mouse would. Click returns at once (for buttons that open
// something, which the caller then waits for); ClickNow returns once the click is handled.
void Click(HWND button);
void ClickNow(HWND button);
std::vector<std::string> ListItems(HWND listBox);
int ListSelection(HWND listBox);  // -1 when nothing is selected
bool SelectListItem(HWND listBox, const std::string& text);
// The screen position of the top-left corner of the client area.
POINT ClientOrigin(HWND window);
// Clicks (twice: double-clicks) the left button at a point of the screen through the
// system's input queue.
void ClickAt(POINT screen, bool twice = false);

// The suggestion list of process `pid` below its command box: the list box of its shown
// popup, null when no list shows; its entries top first (empty when none shows); the
// screen point in the middle of its row `row` (scrolled into view by the caller).
HWND SuggestionListBox(DWORD pid);
std::vector<std::string> SuggestionTexts(DWORD pid);
POINT SuggestionRowPoint(HWND listBox, int row);

// A file picker (common open or save dialog): types `text` into its file-name field and
// presses its OK button.
void TypeIntoFilePicker(HWND picker, const std::string& text);

// Tree views of another process: the item's text, read through memory of that process.
std::string TreeItemText(HWND tree, HTREEITEM item);
// Expands `parent` (null: the root level) and returns the first child whose text
// `matches`, or null.
HTREEITEM FindTreeChild(HWND tree, HTREEITEM parent,
                        const std::function<bool(const std::string&)>& matches);

// The tray icon's callback message and identifier, as the notification area sends them.
constexpr UINT kTrayNotify = 1025;
constexpr WPARAM kTrayIcon = 2000;
// True while a menu of process `pid` is open.
bool MenuShown(DWORD pid);
// Right-clicks the tray icon of the command window `window` and waits for its menu;
// false when no menu opened.
bool OpenTrayMenu(HWND window);

// ---- Message boxes

enum class BoxIcon { None, Error, Warning, Question, Information };

struct MessageBoxInfo {
    HWND box = nullptr;
    std::string title;
    std::string text;
    std::vector<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO... present
    BoxIcon icon = BoxIcon::None;
};

// Waits for a visible message box of process `pid` and reads it. With `owner`, only a box
// owned by that window counts (the program's own dialogs are of the same class).
bool WaitForMessageBox(DWORD pid, MessageBoxInfo* info, DWORD timeoutMs = kWaitMs,
                       HWND owner = nullptr);
// True when the process shows no message box now.
bool NoMessageBox(DWORD pid);
void Answer(const MessageBoxInfo& info, int button);
const char* IconName(BoxIcon icon);

// ---- Files

// What a started recorder.exe (tests/helpers) wrote about itself.
struct Record {
    bool exists = false;
    std::string commandLine;
    std::string directory;
    int show = -2;
};
Record ReadRecord(const std::string& path);
bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);

// A new folder of this test run under the temporary folder, named after `name`.
std::string MakeTempFolder(const std::string& name);

// Such a folder, emptied first and removed with everything in it at the end.
class TestFolder {
  public:
    explicit TestFolder(const std::string& name);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

// While it lives, the shell opens files with `extension` (".txt") through `command` (with
// "%1" for the file) for `verb`; the earlier association comes back when it goes.
class FileTypeHandler {
  public:
    FileTypeHandler(const std::string& extension, const std::string& command,
                    const std::string& verb = "open");
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
extern const char kPicksKey[];
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
