#include "harness.h"

#include <shellapi.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace e2e {

const char kMainKey[] = "Software\\Corvath Software\\Zantrel";
const char kAliasKey[] = "Software\\Corvath Software\\Zantrel\\Alias";
const char kHistoryKey[] = "Software\\Corvath Software\\Zantrel\\History";
const char kPicksKey[] = "Software\\Corvath Software\\Zantrel\\Picks";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(20);
    }
}

std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/"));
}

bool Program::Start() {
    Kill();
    const bool fullPath = exe_.find('\\') != std::string::npos;
    std::string path = fullPath ? exe_ : ExeDir() + "\\" + exe_;
    std::string commandLine = "\"" + path + "\"" + (arguments_.empty() ? "" : " " + arguments_);
    const std::string folder = path.substr(0, path.find_last_of('\\'));  // it starts there
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof(pi));
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    WaitForInputIdle(process_, kWaitMs);
    return true;
}

HWND Program::Window() const {
    return pid_ == 0 ? nullptr : FindTopWindow(pid_, "Zantrel", false);
}

bool Program::Running() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(DWORD timeoutMs, DWORD* exitCode) {
    if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process_, exitCode);
    return true;
}

void Program::Kill() {
    if (process_ == nullptr) {
        return;
    }
    if (Running()) {
        // A clean end first, so that the tray icon goes too; then by force.
        MessageBoxInfo box;
        while (WaitForMessageBox(pid_, &box, 0)) {
            Answer(box, box.buttons.empty() ? IDOK : box.buttons.back());
            Sleep(100);
        }
        HWND window = Window();
        if (window != nullptr) {
            PostMessageA(window, WM_COMMAND, 2002, 0);
        }
        if (WaitForSingleObject(process_, window != nullptr ? 3000 : 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 99);
            WaitForSingleObject(process_, kWaitMs);
        }
    }
    CloseHandle(process_);
    process_ = nullptr;
    pid_ = 0;
}

// ---- Windows

namespace {

struct FindRequest {
    DWORD pid;
    const char* className;
    bool visibleOnly;
    const std::string* caption;  // unless null
    HWND owner;                  // unless null
    HWND found;
    int count;
};

BOOL CALLBACK FindTopProc(HWND window, LPARAM param) {
    FindRequest* request = reinterpret_cast<FindRequest*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != request->pid || ClassOf(window) != request->className ||
        (request->visibleOnly && !IsWindowVisible(window)) ||
        (request->caption != nullptr && WindowText(window) != *request->caption) ||
        (request->owner != nullptr && GetWindow(window, GW_OWNER) != request->owner)) {
        return TRUE;
    }
    if (request->found == nullptr) {
        request->found = window;
    }
    ++request->count;
    return TRUE;
}

// The first matching top-level window, and how many match.
FindRequest FindTop(const FindRequest& what) {
    FindRequest request = what;
    request.found = nullptr;
    request.count = 0;
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&request));
    return request;
}

struct ControlRequest {
    int id;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindControlProc(HWND window, LPARAM param) {
    ControlRequest* request = reinterpret_cast<ControlRequest*>(param);
    if (GetDlgCtrlID(window) != request->id ||
        (request->className != nullptr && ClassOf(window) != request->className)) {
        return TRUE;
    }
    request->found = window;
    return FALSE;
}

// Memory in another process, for messages whose argument points at a structure.
class RemoteMemory {
  public:
    RemoteMemory(HWND window, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_ != nullptr) {
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
        }
    }
    ~RemoteMemory() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* Address() const { return address_; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) {
        return address_ != nullptr && offset + size <= size_ &&
               WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) {
        return address_ != nullptr && offset + size <= size_ &&
               ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

  private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
    SIZE_T size_;
};

BOOL CALLBACK CountTrayIcons(HWND window, LPARAM param) {
    if (ClassOf(window) == "__winex11_tray_icon") {
        ++*reinterpret_cast<int*>(param);
    }
    return TRUE;
}

BOOL CALLBACK FindIconStatic(HWND window, LPARAM param) {
    if (ClassOf(window) == "Static" && IsWindowVisible(window) &&
        (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

std::vector<COLORREF> Pixels(HDC dc, int size) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            pixels.push_back(GetPixel(dc, x, y));
        }
    }
    return pixels;
}

// Message box icons cannot be read from another process; compare what is on the screen
// with each standard icon drawn here on the same background.
BoxIcon DetectIcon(HWND box) {
    HWND iconStatic = nullptr;
    EnumChildWindows(box, FindIconStatic, reinterpret_cast<LPARAM>(&iconStatic));
    if (iconStatic == nullptr) {
        return BoxIcon::None;
    }
    const int size = GetSystemMetrics(SM_CXICON);
    RECT rect = WindowRect(iconStatic);
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HBITMAP shotBitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ oldShot = SelectObject(shot, shotBitmap);
    BitBlt(shot, 0, 0, size, size, screen, rect.left, rect.top, SRCCOPY);
    const std::vector<COLORREF> seen = Pixels(shot, size);

    struct Candidate {
        BoxIcon icon;
        LPCSTR id;
    };
    const Candidate candidates[] = {{BoxIcon::Error, IDI_HAND},
                                    {BoxIcon::Warning, IDI_EXCLAMATION},
                                    {BoxIcon::Question, IDI_QUESTION},
                                    {BoxIcon::Information, IDI_ASTERISK}};
    BoxIcon best = BoxIcon::None;
    size_t bestScore = seen.size() * 9 / 10;  // at least 90 % of the pixels must agree
    HDC draw = CreateCompatibleDC(screen);
    HBITMAP drawBitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ oldDraw = SelectObject(draw, drawBitmap);
    HBRUSH background = CreateSolidBrush(seen[0]);
    for (const Candidate& candidate : candidates) {
        RECT all = {0, 0, size, size};
        FillRect(draw, &all, background);
        DrawIconEx(draw, 0, 0, LoadIconA(nullptr, candidate.id), size, size, 0, nullptr, DI_NORMAL);
        const std::vector<COLORREF> drawn = Pixels(draw, size);
        size_t score = 0;
        for (size_t i = 0; i < drawn.size(); ++i) {
            score += drawn[i] == seen[i] ? 1 : 0;
        }
        if (score > bestScore) {
            bestScore = score;
            best = candidate.icon;
        }
    }
    DeleteObject(background);
    SelectObject(draw, oldDraw);
    DeleteObject(drawBitmap);
    DeleteDC(draw);
    SelectObject(shot, oldShot);
    DeleteObject(shotBitmap);
    DeleteDC(shot);
    ReleaseDC(nullptr, screen);
    return best;
}

}  // namespace

HWND FindTopWindow(DWORD pid, const char* className, bool visibleOnly) {
    return FindTop({pid, className, visibleOnly, nullptr, nullptr}).found;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

bool IsShown(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

RECT WindowRect(HWND window) {
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    return rect;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

HWND CommandBox(HWND window) {
    return GetDlgItem(window, 1000);
}

std::string ComboText(HWND window) {
    char text[1024] = "";
    SendMessageA(CommandBox(window), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> ComboItems(HWND window) {
    std::vector<std::string> items;
    HWND box = CommandBox(window);
    LRESULT count = SendMessageA(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Across processes only the wide form brings the whole text.
        WCHAR wide[1024] = L"";
        SendMessageW(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

void SetComboText(HWND window, const std::string& text) {
    SendMessageA(CommandBox(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PostCommand(HWND window, WORD id) {
    PostMessageA(window, WM_COMMAND, id, 0);
}

void PressKeys(const std::vector<WORD>& modifiers, WORD vk) {
    std::vector<INPUT> inputs;
    auto key = [&inputs](WORD code, bool up) {
        INPUT input;
        ZeroMemory(&input, sizeof(input));
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD m : modifiers) {
        key(m, false);
    }
    key(vk, false);
    key(vk, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        key(*it, true);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKey(WORD vk) {
    PressKeys({}, vk);
}

void TypeText(const std::string& text) {
    WCHAR wide[256];
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 256);
    for (int i = 0; i + 1 < units; ++i) {
        INPUT inputs[2];
        ZeroMemory(inputs, sizeof(inputs));
        for (INPUT& input : inputs) {
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = wide[i];
            input.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
        Sleep(10);
    }
}

int TrayIconCount() {
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    if (tray == nullptr) {
        return 0;
    }
    int count = 0;
    EnumChildWindows(tray, CountTrayIcons, reinterpret_cast<LPARAM>(&count));
    return count;
}

// ---- Dialogs and their controls

HWND FindDialog(DWORD pid, const std::string& caption, HWND owner) {
    return FindTop({pid, "#32770", true, &caption, owner}).found;
}

int CountDialogs(DWORD pid, const std::string& caption) {
    return FindTop({pid, "#32770", true, &caption, nullptr}).count;
}

HWND WaitForDialog(DWORD pid, const std::string& caption, HWND owner, DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindDialog(pid, caption, owner)) != nullptr; }, timeoutMs);
    return dialog;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

HWND FindControl(HWND parent, int id, const char* className) {
    ControlRequest request = {id, className, nullptr};
    EnumChildWindows(parent, FindControlProc, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

std::string ControlText(HWND control) {
    char text[1024] = "";
    SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_BLOCK, 5000, nullptr);
    return text;
}

void SetControlText(HWND control, const std::string& text) {
    SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_BLOCK,
                        5000, nullptr);
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_BLOCK, 5000, &state);
    return state == BST_CHECKED;
}

void Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void ClickNow(HWND button) {
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_BLOCK, 5000, nullptr);
}

std::vector<std::string> ListItems(HWND listBox) {
    std::vector<std::string> items;
    LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR wide[1024] = L"";  // as with combo boxes, the wide form brings the whole text
        SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

void ClickAt(POINT screen, bool twice) {
    SetCursorPos(screen.x, screen.y);
    INPUT inputs[4];
    ZeroMemory(inputs, sizeof(inputs));
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    SendInput(twice ? 4 : 2, inputs, sizeof(INPUT));
}

HWND SuggestionListBox(DWORD pid) {
    HWND popup = FindTopWindow(pid, "ZantrelSuggestions", true);
    return popup != nullptr ? FindWindowExA(popup, nullptr, "ListBox", nullptr) : nullptr;
}

std::vector<std::string> SuggestionTexts(DWORD pid) {
    HWND listBox = SuggestionListBox(pid);
    return listBox != nullptr ? ListItems(listBox) : std::vector<std::string>{};
}

POINT SuggestionRowPoint(HWND listBox, int row) {
    const int height = static_cast<int>(SendMessageA(listBox, LB_GETITEMHEIGHT, 0, 0));
    const int top = static_cast<int>(SendMessageA(listBox, LB_GETTOPINDEX, 0, 0));
    POINT point = {20, (row - top) * height + height / 2};
    ClientToScreen(listBox, &point);
    return point;
}

int ListSelection(HWND listBox) {
    return static_cast<int>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
}

bool SelectListItem(HWND listBox, const std::string& text) {
    const std::vector<std::string> items = ListItems(listBox);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return SendMessageA(listBox, LB_SETCURSEL, i, 0) != LB_ERR;
        }
    }
    return false;
}

POINT ClientOrigin(HWND window) {
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

void TypeIntoFilePicker(HWND picker, const std::string& text) {
    // The file-name field: an edit inside a combo box in the Explorer-style picker.
    // It may still be filling itself in when it first shows.
    HWND field = nullptr;
    WaitUntil([&] {
        field = FindControl(picker, 0x47C, "Edit");  // cmb13
        if (field == nullptr) {
            field = FindControl(picker, 0x480, "Edit");  // edt1
        }
        return field != nullptr && FindControl(picker, IDOK, "Button") != nullptr;
    });
    SetControlText(field, text);
    PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(FindControl(picker, IDOK, "Button")));
}

std::string TreeItemText(HWND tree, HTREEITEM item) {
    constexpr int kChars = 260;
    RemoteMemory remote(tree, sizeof(TVITEMA) + kChars);
    TVITEMA request;
    ZeroMemory(&request, sizeof(request));
    request.mask = TVIF_TEXT | TVIF_HANDLE;
    request.hItem = item;
    request.pszText = remote.Address() + sizeof(TVITEMA);
    request.cchTextMax = kChars;
    char text[kChars + 1] = "";
    if (!remote.Write(0, &request, sizeof(request)) ||
        !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.Address())) ||
        !remote.Read(sizeof(TVITEMA), text, kChars)) {
        return "";
    }
    return text;
}

HTREEITEM FindTreeChild(HWND tree, HTREEITEM parent,
                        const std::function<bool(const std::string&)>& matches) {
    HTREEITEM item;
    if (parent == nullptr) {
        item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    } else {
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    }
    for (; item != nullptr;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        if (matches(TreeItemText(tree, item))) {
            return item;
        }
    }
    return nullptr;
}

bool MenuShown(DWORD pid) {
    return FindTopWindow(pid, "#32768", true) != nullptr;
}

bool OpenTrayMenu(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    PostMessageA(window, kTrayNotify, kTrayIcon, WM_RBUTTONDOWN);
    return WaitUntil([pid] { return MenuShown(pid); });
}

// ---- Message boxes

bool WaitForMessageBox(DWORD pid, MessageBoxInfo* info, DWORD timeoutMs, HWND owner) {
    HWND box = nullptr;
    if (!WaitUntil(
            [&] {
                return (box = FindTop({pid, "#32770", true, nullptr, owner}).found) != nullptr;
            },
            timeoutMs)) {
        return false;
    }
    Sleep(300);  // let it paint before the icon is compared
    info->box = box;
    info->title = WindowText(box);
    info->text = WindowText(GetDlgItem(box, 0xFFFF));
    info->buttons.clear();
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        if (GetDlgItem(box, id) != nullptr) {
            info->buttons.push_back(id);
        }
    }
    info->icon = DetectIcon(box);
    return true;
}

bool NoMessageBox(DWORD pid) {
    return FindTopWindow(pid, "#32770", true) == nullptr;
}

void Answer(const MessageBoxInfo& info, int button) {
    // Sent, as a click would: under Wine a posted command can sit unseen in the queue of a
    // message box whose owner is hidden.
    SendMessageTimeoutA(info.box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(info.box, button)), SMTO_BLOCK, 5000,
                        nullptr);
}

const char* IconName(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::Error:
            return "error";
        case BoxIcon::Warning:
            return "warning";
        case BoxIcon::Question:
            return "question";
        case BoxIcon::Information:
            return "information";
        default:
            return "none";
    }
}

// ---- Files

Record ReadRecord(const std::string& path) {
    Record record;
    // The recorder moves its record into place through a handle opened for deletion, and
    // until it closes that handle, opening the file without sharing deletion fails with a
    // sharing violation: try again until then.
    std::ifstream file;
    if (!FileExists(path) || !WaitUntil([&] {
            file.clear();
            file.open(path, std::ios::binary);
            return file.is_open();
        })) {
        return record;
    }
    record.exists = true;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("cmdline=", 0) == 0) {
            record.commandLine = line.substr(8);
        } else if (line.rfind("cwd=", 0) == 0) {
            record.directory = line.substr(4);
        } else if (line.rfind("show=", 0) == 0) {
            record.show = std::stoi(line.substr(5));
        }
    }
    return record;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string MakeTempFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    CreateDirectoryA(temp, nullptr);  // a new Wine prefix may not have it yet
    const std::string folder =
        std::string(temp) + "zantrel-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file);
}

namespace {

void RemoveTree(const std::string& path) {
    const std::string from = path + '\0';  // a list of one name, ended by an empty one
    SHFILEOPSTRUCTA remove;
    ZeroMemory(&remove, sizeof(remove));
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&remove);
}

}  // namespace

TestFolder::TestFolder(const std::string& name) : path_(MakeTempFolder(name)) {
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TestFolder::~TestFolder() {
    RemoveTree(path_);
}

// Wine's shell reads the merged classes view (HKEY_CLASSES_ROOT), so the association is
// written there.
FileTypeHandler::FileTypeHandler(const std::string& extension, const std::string& command,
                                 const std::string& verbName)
    : extension_(extension), oldClass_(ReadString(HKEY_CLASSES_ROOT, extension.c_str(), "")) {
    const char kClass[] = "ZantrelTest.Handler";
    const std::string verb = std::string(kClass) + "\\shell\\" + verbName + "\\command";
    ok_ = RegSetKeyValueA(HKEY_CLASSES_ROOT, extension.c_str(), nullptr, REG_SZ, kClass,
                          sizeof(kClass)) == ERROR_SUCCESS &&
          RegSetKeyValueA(HKEY_CLASSES_ROOT, verb.c_str(), nullptr, REG_SZ, command.c_str(),
                          static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

FileTypeHandler::~FileTypeHandler() {
    if (oldClass_ == "<missing>") {
        RegDeleteKeyValueA(HKEY_CLASSES_ROOT, extension_.c_str(), nullptr);
    } else {
        RegSetKeyValueA(HKEY_CLASSES_ROOT, extension_.c_str(), nullptr, REG_SZ, oldClass_.c_str(),
                        static_cast<DWORD>(oldClass_.size() + 1));
    }
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "ZantrelTest.Handler");
}

// ---- Registry

void ClearProgramState() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Corvath Software");
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Zantrel");
        RegCloseKey(run);
    }
}

void MakeReturningUser() {
    for (const char* path : {kMainKey, kAliasKey, kHistoryKey}) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegCloseKey(key);
        }
    }
}

bool SetValue(HKEY root, const char* path, const char* name, DWORD type, const void* data,
              DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool ok =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool SetDword(const char* path, const char* name, DWORD value) {
    return SetValue(HKEY_CURRENT_USER, path, name, REG_DWORD, &value, sizeof(value));
}

bool SetString(const char* path, const char* name, const std::string& value) {
    return SetValue(HKEY_CURRENT_USER, path, name, REG_SZ, value.c_str(),
                    static_cast<DWORD>(value.size() + 1));
}

bool SetStoredAlias(int n, const std::string& name, const std::string& command,
                    const std::string& path, DWORD state) {
    const std::string index = std::to_string(n);
    return SetString(kAliasKey, ("A" + index).c_str(), name) &&
           SetString(kAliasKey, ("C" + index).c_str(), command) &&
           SetString(kAliasKey, ("P" + index).c_str(), path) &&
           SetDword(kAliasKey, ("W" + index).c_str(), state);
}

bool ReadBytes(HKEY root, const char* path, const char* name, std::vector<unsigned char>* data,
               DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data->assign(size, 0);
        ok = RegQueryValueExA(key, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return ok;
}

bool ValueExists(HKEY root, const char* path, const char* name) {
    std::vector<unsigned char> data;
    DWORD type = 0;
    return ReadBytes(root, path, name, &data, &type);
}

bool ReadDword(const char* path, const char* name, DWORD* value) {
    std::vector<unsigned char> data;
    DWORD type = 0;
    if (!ReadBytes(HKEY_CURRENT_USER, path, name, &data, &type) || data.size() != 4) {
        return false;
    }
    std::memcpy(value, data.data(), 4);
    return true;
}

std::string ReadString(HKEY root, const char* path, const char* name) {
    std::vector<unsigned char> data;
    DWORD type = 0;
    if (!ReadBytes(root, path, name, &data, &type)) {
        return "<missing>";
    }
    std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
}

}  // namespace e2e
