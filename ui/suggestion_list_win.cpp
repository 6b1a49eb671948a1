// The list lives on the command window's thread. Only the listing of a folder runs on a
// thread of its own, started the first time a text names a folder and asleep on its event
// otherwise: it takes a copy of the list as the window's thread built it (names and
// programs offered), adds the folder's entries, ranks them and posts the result back. Every
// change of the text counts up a generation; a listing of an older one stops ranking early
// and its result is dropped. The folder's names are kept while the list is open. The
// listing works only while the typing pauses (kQuietMs): each change of the text stops it
// within 64 entries until the text has stayed as it is for that long.
#include "ui/suggestion_list_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <new>
#include <utility>

#include "res/resource.h"
#include "state/process_win.h"
#include "ui/control_text_win.h"
#include "ui/suggestion_sources_win.h"

namespace {

constexpr int kRowsShown = 10;
constexpr UINT kFolderListed = WM_APP + 1;  // to the popup: wParam the listing's generation
const char kClassName[] = "ZantrelSuggestions";
constexpr DWORD kPopupStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kPopupExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;

Suggestions* NewSuggestions() {
    return static_cast<Suggestions*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Suggestions)));
}

void FreeSuggestions(Suggestions* list) {
    if (list != nullptr) {
        HeapFree(GetProcessHeap(), 0, list);
    }
}

// The names of the folder read last, kept by the listing thread while the list stays open:
// the keys typed after a folder's '\\' rank its names again without reading the folder
// again (the read is what takes long: about 80 ms for 10,000 entries under Wine).
// Each name is followed by its terminator and then 1 for a folder, 0 for a file.
struct FolderNames {
    char folder[kTextBuffer];
    char* bytes;
    std::size_t used;
    std::size_t capacity;
    bool whole;  // every entry of `folder` is there
};
constexpr std::size_t kFirstNamesRoom = 64 * 1024;
constexpr std::size_t kMostNamesRoom = 1024 * 1024;  // a bigger folder is read at every key

// The folder listing's thread and what it shares with the window's thread.
struct Listing {
    HANDLE thread;
    HANDLE wake;  // auto-reset: a job is there, the names are to go, or the thread is to end
    CRITICAL_SECTION lock;
    // Under the lock:
    bool stop;
    bool forget;  // the list closed: the names kept go
    bool pending;
    LONG jobGeneration;
    FolderQuery query;
    Suggestions* job;
    LONG doneGeneration;
    Suggestions* done;
    // The thread's own:
    Suggestions* work;
    FolderNames names;
};

// Icons fetched lately, by where they come from (IconKey), so that rows of one type and a row
// from one key to the next take their icon without asking the shell again.
struct CachedIcon {
    std::uint32_t key;
    int iconPlusOne;  // 0: a free slot
};
constexpr int kCachedIcons = 128;

struct ListState {
    HWND window;  // the command window
    HWND popup;
    HWND listBox;
    HWND edit;  // the command box's edit field
    int rowHeight;
    bool open;
    Suggestions* shown;        // what the list box holds, row for row
    Suggestions* next;         // built for the next text
    ProgramSnapshot programs;  // the programs that the shown entries number
    SuggestionChoice clicked;  // the entry clicked last, for a double-click
    bool clickedValid;
    bool runClicked;    // a double-click asked to run `clicked`
    HIMAGELIST images;  // the system's small image list
    CachedIcon icons[kCachedIcons];
    int nextIcon;
    Listing listing;
};

ListState* g_list = nullptr;
volatile LONG g_generation = 0;  // counted up on the window's thread only
volatile LONG g_changedAt = 0;   // when the text changed last (GetTickCount), set likewise

// How long the text stays unchanged before a folder is read or its names ranked. Thread
// priorities alone do not keep the listing out of the way of typing: Wine ignores them, and
// there a thread reading a big folder in the program slows the echo of each key to a
// multiple. Keys typed faster than this never meet a listing at work.
constexpr DWORD kQuietMs = 100;

// Returns once the text has not changed for kQuietMs.
void WaitWhileTyping() {
    for (;;) {
        const DWORD since = GetTickCount() - static_cast<DWORD>(g_changedAt);
        if (since >= kQuietMs) {
            return;
        }
        Sleep(kQuietMs - since);
    }
}

// ---- The folder listing

void ForgetNames(FolderNames& names) {
    if (names.bytes != nullptr) {
        HeapFree(GetProcessHeap(), 0, names.bytes);
    }
    names.bytes = nullptr;
    names.used = names.capacity = 0;
    names.whole = false;
}

// Keeps `name`; false when there is no more room for names.
bool KeepName(FolderNames& names, const char* name, bool isFolder) {
    const std::size_t size = static_cast<std::size_t>(lstrlenA(name)) + 2;
    if (names.used + size > names.capacity) {
        std::size_t capacity = names.capacity == 0 ? kFirstNamesRoom : 2 * names.capacity;
        if (names.used + size > capacity || capacity > kMostNamesRoom) {
            return false;
        }
        void* grown = names.bytes == nullptr
                          ? HeapAlloc(GetProcessHeap(), 0, capacity)
                          : HeapReAlloc(GetProcessHeap(), 0, names.bytes, capacity);
        if (grown == nullptr) {
            return false;
        }
        names.bytes = static_cast<char*>(grown);
        names.capacity = capacity;
    }
    CopyText(names.bytes + names.used, name, size - 1);
    names.bytes[names.used + size - 1] = isFolder ? 1 : 0;
    names.used += size;
    return true;
}

// True when the names of `folder` are no longer worth reading on for: the job waiting is for
// another folder, the list has closed, or the thread is to end.
bool NamesUnwanted(const char* folder) {
    Listing& listing = g_list->listing;
    EnterCriticalSection(&listing.lock);
    const bool unwanted = listing.stop || listing.forget ||
                          (listing.pending && lstrcmpA(listing.query.folder, folder) != 0);
    LeaveCriticalSection(&listing.lock);
    return unwanted;
}

// Reads the folder of `query`, offering each entry to `list` while `generation` is current,
// and keeps its names; once the text has changed it reads on only to keep them, while the
// text still names this folder.
bool ReadFolder(const FolderQuery& query, Suggestions& list, LONG generation, FolderNames& names) {
    names.used = 0;
    CopyText(names.folder, query.folder, sizeof names.folder);
    bool current = true;
    bool room = true;
    int seen = 0;
    const bool whole = WalkFolder(query.folder, [&](const char* name, bool isFolder) {
        room = room && KeepName(names, name, isFolder);
        if (current) {
            AddFolderEntry(list, query, name, isFolder);
        }
        // Once the text has changed, the names are kept only after the typing pauses.
        if (++seen % 64 == 0 && g_generation != generation) {
            current = false;
            WaitWhileTyping();
            room = room && !NamesUnwanted(query.folder);
        }
        return current || room;
    });
    names.whole = whole && room;
    return current;
}

// Offers the names kept to `list`; false once `generation` is no longer current.
bool OfferNames(const FolderQuery& query, Suggestions& list, LONG generation,
                const FolderNames& names) {
    int seen = 0;
    for (std::size_t at = 0; at < names.used;) {
        const char* name = names.bytes + at;
        const std::size_t length = static_cast<std::size_t>(lstrlenA(name));
        AddFolderEntry(list, query, name, names.bytes[at + length + 1] != 0);
        at += length + 2;
        if (++seen % 64 == 0 && g_generation != generation) {
            return false;
        }
    }
    return true;
}

DWORD WINAPI ListingThread(void*) {
    Listing& listing = g_list->listing;
    const HWND popup = g_list->popup;
    for (;;) {
        WaitForSingleObject(listing.wake, INFINITE);
        EnterCriticalSection(&listing.lock);
        if (listing.stop) {
            LeaveCriticalSection(&listing.lock);
            return 0;
        }
        const bool forget = listing.forget;
        const bool pending = listing.pending;
        const LONG generation = listing.jobGeneration;
        const FolderQuery query = listing.query;
        listing.forget = false;
        if (pending) {
            std::swap(listing.job, listing.work);
            listing.pending = false;
        }
        LeaveCriticalSection(&listing.lock);
        if (forget) {
            ForgetNames(listing.names);
        }
        if (!pending) {
            continue;
        }
        WaitWhileTyping();
        const bool kept = listing.names.whole && lstrcmpA(listing.names.folder, query.folder) == 0;
        if (kept ? OfferNames(query, *listing.work, generation, listing.names)
                 : ReadFolder(query, *listing.work, generation, listing.names)) {
            FinishSuggestions(*listing.work);
            EnterCriticalSection(&listing.lock);
            std::swap(listing.work, listing.done);
            listing.doneGeneration = generation;
            LeaveCriticalSection(&listing.lock);
            PostMessageA(popup, kFolderListed, static_cast<WPARAM>(generation), 0);
        }
    }
}

bool StartListing() {
    Listing& listing = g_list->listing;
    if (listing.thread != nullptr) {
        return true;
    }
    listing.job = NewSuggestions();
    listing.work = NewSuggestions();
    listing.done = NewSuggestions();
    if (listing.job == nullptr || listing.work == nullptr || listing.done == nullptr) {
        return false;
    }
    listing.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (listing.wake == nullptr) {
        return false;
    }
    InitializeCriticalSection(&listing.lock);
    listing.thread = CreateThread(nullptr, 0, ListingThread, nullptr, CREATE_SUSPENDED, nullptr);
    if (listing.thread == nullptr) {
        DeleteCriticalSection(&listing.lock);
        CloseHandle(listing.wake);
        listing.wake = nullptr;
        return false;
    }
    // Typing comes first: on Windows the listing takes what time the window's thread leaves.
    SetThreadPriority(listing.thread, THREAD_PRIORITY_LOWEST);
    ResumeThread(listing.thread);
    return true;
}

void EndListing() {
    Listing& listing = g_list->listing;
    if (listing.thread != nullptr) {
        InterlockedIncrement(&g_generation);  // a listing under way stops
        EnterCriticalSection(&listing.lock);
        listing.stop = true;
        LeaveCriticalSection(&listing.lock);
        SetEvent(listing.wake);
        WaitForSingleObject(listing.thread, INFINITE);
        CloseHandle(listing.thread);
        CloseHandle(listing.wake);
        DeleteCriticalSection(&listing.lock);
    }
    FreeSuggestions(listing.job);
    FreeSuggestions(listing.work);
    FreeSuggestions(listing.done);
    ForgetNames(listing.names);
}

// The list closed: the listing thread lets the names it keeps go.
void ForgetListing() {
    Listing& listing = g_list->listing;
    if (listing.thread != nullptr) {
        EnterCriticalSection(&listing.lock);
        listing.forget = true;
        LeaveCriticalSection(&listing.lock);
        SetEvent(listing.wake);
    }
}

// ---- Icons

// The program that a command line starts, as a name whose type gives its icon: the first
// word, or the quoted part; ".exe" added to a name without an extension.
void ProgramOfLine(const char* line, char* path) {
    path[0] = '\0';
    const char* start = line[0] == '"' ? line + 1 : line;
    const char end = line[0] == '"' ? '"' : ' ';
    int length = 0;
    while (start[length] != '\0' && start[length] != end && length < kTextChars) {
        ++length;
    }
    CopyText(path, start, static_cast<std::size_t>(length) + 1);
    const char* name = TextFindLastOf(path, "\\");
    if (TextFindLastOf(name != nullptr ? name : path, ".") == nullptr) {
        AppendText(path, ".exe", kTextBuffer);
    }
}

// Where an entry's icon comes from: a file of its own (a program's shortcut or path), or the
// type of a name, whose icon every name of that type shares.
struct IconSource {
    char path[kTextBuffer];
    DWORD attributes;
    bool ownFile;
};

void SourceOf(const Suggestion& item, IconSource& source) {
    CopyText(source.path, ".exe", sizeof source.path);
    source.attributes = FILE_ATTRIBUTE_NORMAL;
    source.ownFile = false;
    const ProgramIndex* index = g_list->programs.Index();
    switch (item.kind) {
        case SuggestionKind::kFolder:
            source.attributes = FILE_ATTRIBUTE_DIRECTORY;
            CopyText(source.path, "folder", sizeof source.path);
            break;
        case SuggestionKind::kFile:
            CopyText(source.path, item.text, sizeof source.path);
            break;
        case SuggestionKind::kProgram:
            // A Store app has no file of its own: the icon of programs stands for it.
            source.ownFile = item.program >= 0 && item.program < ProgramCount(index) &&
                             lstrcmpA(ProgramName(index, item.program), item.text) == 0 &&
                             ProgramIconPath(index, item.program, source.path, sizeof source.path);
            if (!source.ownFile) {
                CopyText(source.path, ".exe", sizeof source.path);
            }
            break;
        case SuggestionKind::kAlias: {
            const AliasRecord* alias = FindAlias(g_state.aliases, item.text);
            ProgramOfLine(alias != nullptr ? alias->Command : "", source.path);
            break;
        }
        case SuggestionKind::kRecent:
            ProgramOfLine(item.text, source.path);
            break;
    }
}

// The key of the icons cached: the whole path of a file of its own, else the name's type (its
// extension, or that it is a folder), letter case aside.
std::uint32_t IconKey(const IconSource& source) {
    const char* part = source.path;
    if (!source.ownFile) {
        const char* dot = TextFindLastOf(source.path, ".");
        const char* slash = TextFindLastOf(source.path, "\\");
        part = (source.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0   ? "\\"
               : dot != nullptr && (slash == nullptr || dot > slash) ? dot
                                                                     : "";
    }
    std::uint32_t hash = source.ownFile ? 2166136261u : 84696351u;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(part); *c != 0; ++c) {
        hash = (hash ^ (*c >= 'A' && *c <= 'Z' ? *c + 32u : *c)) * 16777619u;
    }
    return hash;
}

// The icon in the system image list, or -2 when there is none to show. Only the icons of
// programs are read from their files; the others come from the name's type.
int FetchIcon(const IconSource& source) {
    SHFILEINFOA info;
    ZeroMemory(&info, sizeof info);
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON |
                       (source.ownFile ? 0u : static_cast<UINT>(SHGFI_USEFILEATTRIBUTES));
    const DWORD_PTR images =
        SHGetFileInfoA(source.path, source.attributes, &info, sizeof info, flags);
    if (images == 0) {
        return -2;
    }
    g_list->images = reinterpret_cast<HIMAGELIST>(images);
    return info.iIcon;
}

int IconOf(Suggestion& item) {
    if (item.icon != -1) {
        return item.icon;
    }
    ListState& list = *g_list;
    IconSource source;
    SourceOf(item, source);
    const std::uint32_t key = IconKey(source);
    for (const CachedIcon& cached : list.icons) {
        if (cached.iconPlusOne != 0 && cached.key == key) {
            return item.icon = cached.iconPlusOne - 1;
        }
    }
    item.icon = FetchIcon(source);
    list.icons[list.nextIcon] = {key, item.icon + 1};
    list.nextIcon = (list.nextIcon + 1) % kCachedIcons;
    return item.icon;
}

// ---- The popup

void DrawRow(const DRAWITEMSTRUCT& draw) {
    if (g_list == nullptr || draw.itemID >= static_cast<UINT>(g_list->shown->count)) {
        return;
    }
    Suggestion& item = g_list->shown->items[draw.itemID];
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    HDC dc = draw.hDC;
    FillRect(dc, &draw.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    RECT room = draw.rcItem;
    const int iconSize = GetSystemMetrics(SM_CXSMICON);
    const int icon = IconOf(item);
    if (icon >= 0) {
        ImageList_Draw(g_list->images, icon, dc, room.left + 2,
                       room.top + (room.bottom - room.top - iconSize) / 2, ILD_TRANSPARENT);
    }
    room.left += iconSize + 6;
    room.right -= 4;
    const UINT line = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    const char* kind = SuggestionKindName(item.kind);
    SIZE kindSize = {0, 0};
    GetTextExtentPoint32A(dc, kind, lstrlenA(kind), &kindSize);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, kind, -1, &room, line | DT_RIGHT);
    room.right -= kindSize.cx + 8;
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextA(dc, item.text, -1, &room, line | DT_LEFT | DT_END_ELLIPSIS);
}

void ShowRows();

void OnFolderListed(LONG generation) {
    Listing& listing = g_list->listing;
    EnterCriticalSection(&listing.lock);
    const bool current = generation == g_generation && listing.doneGeneration == generation;
    if (current) {
        std::swap(listing.done, g_list->shown);
    }
    LeaveCriticalSection(&listing.lock);
    if (current) {
        ShowRows();
    }
}

LRESULT CALLBACK PopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                static_cast<UINT>(g_list->rowHeight);
            return TRUE;
        case WM_DRAWITEM:
            DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case kFolderListed:
            OnFolderListed(static_cast<LONG>(wParam));
            return 0;
        default:
            return DefWindowProcA(popup, message, wParam, lParam);
    }
}

HWND EditOf(HWND commandBox) {
    COMBOBOXINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    return GetComboBoxInfo(commandBox, &info) ? info.hwndItem : nullptr;
}

// A row as high as the box's font or the small icon, whichever is higher.
int RowHeight(HWND popup, HFONT font) {
    HDC dc = GetDC(popup);
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(popup, dc);
    const int text = static_cast<int>(metrics.tmHeight) + 2;
    const int icon = GetSystemMetrics(SM_CYSMICON) + 2;
    return text > icon ? text : icon;
}

bool CreatePopup(ListState& list) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = PopupProc;
        wc.hInstance = g_app.instance;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        registered = RegisterClassExA(&wc) != 0;
        if (!registered) {
            return false;
        }
    }
    HWND box = GetDlgItem(list.window, IDC_COMMAND_BOX);
    list.edit = EditOf(box);
    list.popup = CreateWindowExA(kPopupExStyle, kClassName, "", kPopupStyle, 0, 0, 0, 0,
                                 list.window, nullptr, g_app.instance, nullptr);
    if (list.edit == nullptr || list.popup == nullptr) {
        return false;
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    list.rowHeight = RowHeight(list.popup, font);
    list.listBox = CreateWindowExA(0, "LISTBOX", "",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                                       LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                   0, 0, 0, 0, list.popup, nullptr, g_app.instance, nullptr);
    if (list.listBox == nullptr) {
        return false;
    }
    SendMessageA(list.listBox, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return true;
}

void FreeList() {
    if (g_list == nullptr) {
        return;
    }
    EndListing();
    if (g_list->popup != nullptr && IsWindow(g_list->popup)) {
        DestroyWindow(g_list->popup);
    }
    FreeSuggestions(g_list->shown);
    FreeSuggestions(g_list->next);
    g_list->~ListState();
    HeapFree(GetProcessHeap(), 0, g_list);
    g_list = nullptr;
}

// The list's state and its popup, made the first time the user types.
bool Ready(HWND window) {
    if (g_list != nullptr) {
        return true;
    }
    void* memory = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ListState));
    if (memory == nullptr) {
        return false;
    }
    g_list = new (memory) ListState();
    g_list->window = window;
    g_list->shown = NewSuggestions();
    g_list->next = NewSuggestions();
    if (g_list->shown == nullptr || g_list->next == nullptr || !CreatePopup(*g_list)) {
        FreeList();
        return false;
    }
    g_list->shown->count = 0;
    return true;
}

// Below the command box and as wide; above it when the work area has no room below.
void Place() {
    ListState& list = *g_list;
    RECT box;
    GetWindowRect(GetDlgItem(list.window, IDC_COMMAND_BOX), &box);
    const int rows = list.shown->count < kRowsShown ? list.shown->count : kRowsShown;
    RECT frame = {0, 0, box.right - box.left, rows * list.rowHeight};
    AdjustWindowRectEx(&frame, kPopupStyle, FALSE, kPopupExStyle);
    const int height = frame.bottom - frame.top;
    MONITORINFO monitor;
    ZeroMemory(&monitor, sizeof monitor);
    monitor.cbSize = sizeof monitor;
    int y = box.bottom;
    if (GetMonitorInfoA(MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST), &monitor) &&
        y + height > monitor.rcWork.bottom && box.top - height >= monitor.rcWork.top) {
        y = box.top - height;
    }
    SetWindowPos(list.popup, nullptr, box.left, y, box.right - box.left, height,
                 SWP_NOACTIVATE | SWP_NOZORDER);
    RECT client;
    GetClientRect(list.popup, &client);
    MoveWindow(list.listBox, 0, 0, client.right, client.bottom, TRUE);
}

// Puts the shown entries into the list box, nothing highlighted, and shows it.
void ShowRows() {
    ListState& list = *g_list;
    if (list.shown->count == 0) {
        CloseSuggestionList();
        return;
    }
    SendMessageA(list.listBox, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list.listBox, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < list.shown->count; ++i) {
        list.shown->items[i].icon = -1;
        SendMessageA(list.listBox, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(list.shown->items[i].text));
    }
    SendMessageA(list.listBox, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(list.listBox, WM_SETREDRAW, TRUE, 0);
    Place();
    InvalidateRect(list.listBox, nullptr, TRUE);
    if (!list.open) {
        ShowWindow(list.popup, SW_SHOWNOACTIVATE);
        list.open = true;
    }
}

// The folder's entries are added on the listing thread; the list shown until then stays.
void HandToListing(const FolderQuery& query, LONG generation) {
    ListState& list = *g_list;
    if (!StartListing()) {
        return;
    }
    Listing& listing = list.listing;
    EnterCriticalSection(&listing.lock);
    std::swap(listing.job, list.next);
    listing.query = query;
    listing.jobGeneration = generation;
    listing.pending = true;
    LeaveCriticalSection(&listing.lock);
    SetEvent(listing.wake);
}

// ---- Keys and the mouse

int Highlighted() {
    return static_cast<int>(SendMessageA(g_list->listBox, LB_GETCURSEL, 0, 0));
}

void Highlight(int row) {
    const int last = g_list->shown->count - 1;
    row = row < -1 ? -1 : (row > last ? last : row);
    SendMessageA(g_list->listBox, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

void ChoiceOf(int row, SuggestionChoice& choice) {
    const Suggestion& item = g_list->shown->items[row];
    CopyText(choice.entry, item.text, sizeof choice.entry);
    CopyText(choice.typed, g_list->shown->typed, sizeof choice.typed);
    choice.isProgram = item.kind == SuggestionKind::kProgram;
}

// The entry goes into the box, the caret after it, and the list follows the new text.
void PutIntoBox(int row) {
    ListState& list = *g_list;
    SetDlgItemTextA(list.window, IDC_COMMAND_BOX, list.shown->items[row].text);
    const int end = GetWindowTextLengthW(list.edit);
    SendMessageW(list.edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    UpdateSuggestionList(list.window);
}

// A key that takes a row while the rows are still those of an earlier text (the folder is
// being read, or waits for the typing to pause) first brings them up to date, reading the
// folder here: the row that Tab or Down takes is one for the text in the box. False when no
// entry matches that text and the list has closed.
bool CatchUp() {
    ListState& list = *g_list;
    char typed[kTextBuffer];
    ReadControlText(list.window, IDC_COMMAND_BOX, typed, sizeof typed);
    if (lstrcmpA(list.shown->typed, typed) != 0) {
        InterlockedIncrement(&g_generation);  // the listing's result is not wanted now
        list.programs.Refresh();
        SuggestAll(*list.next, typed, list.programs);
        std::swap(list.shown, list.next);
        ShowRows();
    }
    return list.open;
}

bool OnKey(WPARAM key) {
    const bool takesRow =
        key == VK_DOWN || key == VK_UP || key == VK_NEXT || key == VK_PRIOR ||
        (key == VK_TAB && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0);
    if (!takesRow || !CatchUp()) {
        return false;
    }
    const int row = Highlighted();
    switch (key) {
        case VK_DOWN:
            Highlight(row + 1);
            return true;
        case VK_UP:
            Highlight(row < 0 ? -1 : row - 1);
            return true;
        case VK_NEXT:
            Highlight(row < 0 ? kRowsShown - 1 : row + kRowsShown);
            return true;
        case VK_PRIOR:
            Highlight(row < 0 ? -1 : (row > kRowsShown ? row - kRowsShown : 0));
            return true;
        case VK_TAB:
            PutIntoBox(row >= 0 ? row : 0);
            return true;
        default:
            return false;
    }
}

void OnClick(LPARAM point) {
    ListState& list = *g_list;
    const LRESULT hit = SendMessageA(list.listBox, LB_ITEMFROMPOINT, 0, point);
    const int row = LOWORD(hit);
    if (HIWORD(hit) != 0 || row >= list.shown->count) {
        return;
    }
    ChoiceOf(row, list.clicked);
    list.clickedValid = true;
    PutIntoBox(row);
}

void OnDoubleClick() {
    if (g_list->clickedValid) {
        g_list->runClicked = true;
        PostMessageA(g_list->window, WM_COMMAND, IDOK, 0);
    }
}

}  // namespace

void UpdateSuggestionList(HWND commandWindow) {
    if (!Ready(commandWindow)) {
        return;
    }
    ListState& list = *g_list;
    const LONG generation = InterlockedIncrement(&g_generation);
    InterlockedExchange(&g_changedAt, static_cast<LONG>(GetTickCount()));
    char typed[kTextBuffer];
    ReadControlText(commandWindow, IDC_COMMAND_BOX, typed, sizeof typed);
    if (list.open) {
        SendMessageA(list.listBox, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    list.programs.Refresh();
    GatherSuggestions(*list.next, typed, list.programs);
    FolderQuery query;
    if (FolderOfTyped(typed, query) && StartListing()) {
        HandToListing(query, generation);
        return;
    }
    FinishSuggestions(*list.next);
    std::swap(list.shown, list.next);
    ShowRows();
}

bool CloseSuggestionList() {
    if (g_list == nullptr) {
        return false;
    }
    InterlockedIncrement(&g_generation);  // a listing under way is no longer wanted
    if (!g_list->open) {
        return false;
    }
    ShowWindow(g_list->popup, SW_HIDE);
    g_list->open = false;
    ForgetListing();
    return true;
}

void PlaceSuggestionList() {
    if (g_list != nullptr && g_list->open) {
        Place();
    }
}

bool SuggestionListMessage(const MSG& message) {
    if (g_list == nullptr || !g_list->open) {
        return false;
    }
    ListState& list = *g_list;
    if (message.message == WM_KEYDOWN && message.hwnd == list.edit) {
        return OnKey(message.wParam);
    }
    if (message.message == WM_MOUSEWHEEL) {
        SendMessageA(list.listBox, WM_MOUSEWHEEL, message.wParam, message.lParam);
        return true;
    }
    if (message.hwnd != list.listBox) {
        return false;
    }
    // The list box never sees a button: it would take the focus.
    switch (message.message) {
        case WM_LBUTTONDOWN:
            OnClick(message.lParam);
            return true;
        case WM_LBUTTONDBLCLK:
            OnDoubleClick();
            return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
            return true;
        default:
            return false;
    }
}

bool TakeSuggestionChoice(SuggestionChoice& choice) {
    if (g_list == nullptr) {
        return false;
    }
    ListState& list = *g_list;
    bool taken = false;
    if (list.runClicked) {
        choice = list.clicked;
        taken = true;
    } else if (list.open) {
        const int row = Highlighted();
        if (row >= 0 && row < list.shown->count) {
            ChoiceOf(row, choice);
            taken = true;
        }
    }
    list.runClicked = false;
    list.clickedValid = false;
    CloseSuggestionList();
    return taken;
}

void DestroySuggestionList() {
    FreeList();
}
