// The autocomplete object may call the list source from a thread of its own. The source
// therefore never touches the alias list or the history: the window's thread hands it a
// copy of what it needs (the matching names and the folder to list) under
// a lock, and the source lists the folder itself when it is asked to start over.
#include "ui/suggestions_win.h"

#include <objbase.h>
#include <shldisp.h>
#include <shobjidl.h>

#include "res/resource.h"
#include "run/environment_win.h"
#include "state/process_win.h"
#include "ui/control_text_win.h"
#include "ui/suggestions.h"

namespace {

// The identifiers used, defined here: the uuid library would bring every identifier it has
// into the program.
const GUID kAutoComplete = {
    0x00bb2763, 0x6a77, 0x11d0, {0xa5, 0x35, 0x00, 0xc0, 0x4f, 0xd7, 0xd0, 0x62}};
const IID kAutoComplete2 = {
    0xeac04bc0, 0x3791, 0x11d2, {0xbb, 0x95, 0x00, 0x60, 0x97, 0x7b, 0x46, 0x4c}};
const IID kDropDown = {
    0x3cd141f4, 0x3c6a, 0x11d2, {0xbc, 0xaa, 0x00, 0xc0, 0x4f, 0xd9, 0x29, 0xdb}};
const IID kUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kEnumString = {
    0x00000101, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// What the window's thread hands to the source for one text.
struct Request {
    bool listFolder;
    FolderQuery folder;
    Suggestions names;
};

// The entries of `query.folder` that begin with its partial name, into `list`. The file
// system does the first choice (short names match its pattern too: AddFolderEntry checks
// each long name again), and the listing stops once the list is full.
void ListFolder(const FolderQuery& query, Suggestions& list) {
    char pattern[MAX_PATH] = "";
    if (!AppendText(pattern, query.folder, sizeof pattern) ||
        !AppendText(pattern, query.partial, sizeof pattern) ||
        !AppendText(pattern, "*", sizeof pattern)) {
        return;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find =
        FindFirstFileExA(pattern, FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const char* name = entry.cFileName;
        if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0) {
            continue;
        }
        if (!AddFolderEntry(list, query, name,
                            (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
            break;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

// The requests, taken from the heap when the suggestions are attached (as globals they
// would take their room in the program file) and kept for the program's life.
struct Requests {
    Request latest;    // the latest one handed over, under the lock
    Request working;   // the one that the source enumerates
    Request building;  // built on the window's thread, then handed over
};
Requests* g_requests = nullptr;

// The list source. One object lives as long as the program; COM's counting is kept, but
// the object is never freed.
class Source final : public IEnumString {
  public:
    void Start() {
        if (!started_) {
            InitializeCriticalSection(&lock_);
            started_ = true;
        }
    }

    // On the window's thread.
    void Take(const Request& request) {
        EnterCriticalSection(&lock_);
        g_requests->latest = request;
        LeaveCriticalSection(&lock_);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, kUnknown) || IsEqualIID(iid, kEnumString)) {
            *object = static_cast<IEnumString*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references_); }

    // IEnumString, on whichever thread the autocomplete object uses.
    HRESULT STDMETHODCALLTYPE Reset() override {
        EnterCriticalSection(&lock_);
        g_requests->working = g_requests->latest;
        LeaveCriticalSection(&lock_);
        if (g_requests->working.listFolder) {
            ListFolder(g_requests->working.folder, g_requests->working.names);
        }
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, LPOLESTR* texts, ULONG* fetched) override {
        ULONG given = 0;
        for (; given < count && next_ < g_requests->working.names.count; ++given, ++next_) {
            texts[given] = Wide(g_requests->working.names.items[next_]);
            if (texts[given] == nullptr) {
                break;
            }
        }
        if (fetched != nullptr) {
            *fetched = given;
        }
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const int left = g_requests->working.names.count - next_;
        next_ += static_cast<int>(count) < left ? static_cast<int>(count) : left;
        return static_cast<int>(count) <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumString** copy) override {
        *copy = nullptr;
        return E_NOTIMPL;
    }

  private:
    // The text in the program's code page as a string for the caller to free.
    static LPOLESTR Wide(const char* text) {
        const int chars = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        LPOLESTR wide = static_cast<LPOLESTR>(CoTaskMemAlloc(chars * sizeof(WCHAR)));
        if (wide != nullptr && MultiByteToWideChar(CP_ACP, 0, text, -1, wide, chars) == 0) {
            CoTaskMemFree(wide);
            wide = nullptr;
        }
        return wide;
    }

    CRITICAL_SECTION lock_;
    bool started_ = false;
    LONG references_ = 0;
    int next_ = 0;
};

Source g_source;
HWND g_edit = nullptr;
IAutoCompleteDropDown* g_dropDown = nullptr;

HWND EditOf(HWND commandBox) {
    COMBOBOXINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    return GetComboBoxInfo(commandBox, &info) ? info.hwndItem : nullptr;
}

// The highlighted suggestion in the program's code page ("" when none); false when the
// list is not open.
bool ListOpen(char* highlighted) {
    DWORD flags = 0;
    LPWSTR text = nullptr;
    if (g_dropDown == nullptr || FAILED(g_dropDown->GetDropDownStatus(&flags, &text))) {
        return false;
    }
    highlighted[0] = '\0';
    if (text != nullptr) {
        if (WideCharToMultiByte(CP_ACP, 0, text, -1, highlighted, kTextBuffer, nullptr, nullptr) ==
            0) {
            highlighted[0] = '\0';
        }
        CoTaskMemFree(text);
    }
    return (flags & ACDD_VISIBLE) != 0;
}

}  // namespace

bool AttachSuggestions(HWND commandBox) {
    if (g_dropDown != nullptr) {
        return true;
    }
    HWND edit = EditOf(commandBox);
    IAutoComplete2* complete = nullptr;
    if (edit == nullptr ||
        FAILED(CoCreateInstance(kAutoComplete, nullptr, CLSCTX_INPROC_SERVER, kAutoComplete2,
                                reinterpret_cast<void**>(&complete)))) {
        return false;
    }
    if (g_requests == nullptr) {
        g_requests =
            static_cast<Requests*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Requests)));
    }
    if (g_requests == nullptr) {
        complete->Release();
        return false;
    }
    g_source.Start();
    // The object keeps itself (and the source) until the edit field is destroyed.
    if (SUCCEEDED(complete->SetOptions(ACO_AUTOSUGGEST)) &&
        SUCCEEDED(complete->Init(edit, &g_source, nullptr, nullptr)) &&
        SUCCEEDED(complete->QueryInterface(kDropDown, reinterpret_cast<void**>(&g_dropDown)))) {
        g_edit = edit;
    }
    complete->Release();
    return g_dropDown != nullptr;
}

bool SuggestionsAttached() {
    return g_dropDown != nullptr;
}

void UpdateSuggestions(bool justAttached) {
    if (g_dropDown == nullptr) {
        return;
    }
    char typed[kTextBuffer];
    ReadControlText(g_app.window, IDC_COMMAND_BOX, typed, sizeof typed);
    char highlighted[kTextBuffer];
    // Moving through the list puts each suggestion into the box: no new text.
    if (ListOpen(highlighted) && lstrcmpA(highlighted, typed) == 0) {
        return;
    }
    SuggestNames(typed, g_state.aliases, g_state.history, g_requests->building.names);
    char startFolder[kTextBuffer];
    g_requests->building.listFolder =
        g_requests->building.names.count < kMaxSuggestions &&
        ExpandEnvironment(g_state.settings.StartPath, startFolder, sizeof startFolder) &&
        FolderToList(typed, startFolder, g_requests->building.folder);
    g_source.Take(g_requests->building);
    g_dropDown->ResetEnumerator();
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(g_edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    if (justAttached && start == end) {
        // Clearing an empty selection changes nothing, but the object looks at the text
        // after it as after a key.
        SendMessageA(g_edit, WM_CLEAR, 0, 0);
    }
}

bool CloseSuggestions(bool takeHighlighted) {
    char highlighted[kTextBuffer];
    if (!ListOpen(highlighted)) {
        return false;
    }
    if (takeHighlighted && highlighted[0] != '\0') {
        SetWindowTextA(g_edit, highlighted);  // which closes the list
    }
    if (ListOpen(highlighted)) {
        // Esc, the key that the list did not see: the dialog manager took it.
        SendMessageA(g_edit, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return true;
}

void ReleaseSuggestions() {
    if (g_dropDown != nullptr) {
        g_dropDown->Release();
        g_dropDown = nullptr;
    }
}
