// What the program index reads on Windows: folder listings by FindFirstFileExW (names and
// attributes only, nothing opened but desktop.ini), App Paths by bounded registry reads, the
// Applications folder through the shell's items.
#include "programs/program_system_win.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// The identifiers used, defined here: the uuid library would bring every identifier it has
// into the program.
const GUID kFolderPrograms = {
    0xa77f5d77, 0x2e2b, 0x44c3, {0xa6, 0xa2, 0xab, 0xa6, 0x01, 0x05, 0x4a, 0x51}};
const GUID kFolderCommonPrograms = {
    0x0139d44e, 0x6afe, 0x49f2, {0x86, 0x90, 0x3d, 0xaf, 0xca, 0xe6, 0xff, 0xb8}};
const GUID kFolderStartup = {
    0xb97d20bb, 0xf46a, 0x4c97, {0xba, 0x10, 0x5e, 0x36, 0x08, 0x43, 0x08, 0x54}};
const GUID kFolderCommonStartup = {
    0x82a5ea35, 0xd9cd, 0x47c5, {0x96, 0x29, 0xe1, 0x5d, 0x2f, 0x71, 0x4e, 0x6e}};
const GUID kFolderApps = {
    0x1e87508d, 0x89c2, 0x42f0, {0x8a, 0x7e, 0x64, 0x5a, 0x0f, 0x50, 0xca, 0x58}};
const GUID kHandlerEnumItems = {
    0x94f60519, 0x2850, 0x4924, {0xaa, 0x5a, 0xd1, 0x5e, 0x84, 0x86, 0x80, 0x39}};
const IID kShellItem = {
    0x43826d1e, 0xe718, 0x42ee, {0xbc, 0x55, 0xa1, 0xe2, 0x61, 0xc3, 0x7b, 0xfe}};
const IID kEnumShellItems = {
    0x70629033, 0xe363, 0x4a28, {0xa5, 0x67, 0x0d, 0xb7, 0x80, 0x06, 0xe6, 0xd7}};

const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// shlwapi is no import of the program: its one function used here is looked up when needed,
// from the copy in the system folder that the shell has loaded already, or else from there.
using LoadIndirectStringFunction = HRESULT(WINAPI*)(PCWSTR, PWSTR, UINT, void**);
LoadIndirectStringFunction FindLoadIndirectString() {
    HMODULE library = GetModuleHandleA("shlwapi.dll");
    if (library == nullptr) {
        library = LoadLibraryExA("shlwapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return library == nullptr
               ? nullptr
               : reinterpret_cast<LoadIndirectStringFunction>(
                     reinterpret_cast<void*>(GetProcAddress(library, "SHLoadIndirectString")));
}

void KnownFolder(const GUID& id, char* path) {
    PWSTR wide = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &wide)) ||
        !WideToText(wide, path, kTextBuffer)) {
        path[0] = '\0';
    }
    CoTaskMemFree(wide);
}

// A registry value, read within a bound and terminated, its variables expanded.
RegText ReadRegText(HKEY key, const WCHAR* name, char* text) {
    WCHAR data[kTextBuffer + 1];
    DWORD size = kTextBuffer * sizeof(WCHAR);
    DWORD type = REG_NONE;
    const LONG status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    const bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
    if (status == ERROR_MORE_DATA) {
        return {isString ? RegTextKind::kTooLong : RegTextKind::kNotString, nullptr};
    }
    if (status != ERROR_SUCCESS) {
        return {RegTextKind::kMissing, nullptr};
    }
    if (!isString) {
        return {RegTextKind::kNotString, nullptr};
    }
    data[size / sizeof(WCHAR)] = L'\0';  // stored with or without its terminator
    WCHAR expanded[kTextBuffer];
    const DWORD length = ExpandEnvironmentStringsW(data, expanded, kTextBuffer);
    if (length == 0 || length > kTextBuffer || !WideToText(expanded, text, kTextBuffer)) {
        return {RegTextKind::kTooLong, nullptr};
    }
    return {RegTextKind::kText, text};
}

class WinProgramSystem final : public ProgramSystem {
  public:
    WinProgramSystem(const ProgramPlaces& places, const std::atomic<bool>* cancel)
        : places_(places), cancel_(cancel), loadIndirectString_(FindLoadIndirectString()) {}

    void ListFolder(const char* path, FolderVisitor& visitor) override;
    bool IdentifyFolder(const char* path, FolderIdentity* identity) override;
    std::size_t ReadFile(const char* path, void* bytes, std::size_t capacity) override;
    bool LoadIndirectString(const char* reference, char* text, std::size_t capacity) override;
    bool TextFromUtf8(const char* utf8, char* text, std::size_t capacity) override;
    void ListAppPaths(bool machine, AppPathVisitor& visitor) override;
    void ListStoreApps(StoreAppVisitor& visitor) override;
    bool Cancelled() override { return cancel_ != nullptr && cancel_->load(); }

  private:
    const ProgramPlaces& places_;
    const std::atomic<bool>* cancel_;
    LoadIndirectStringFunction loadIndirectString_;
};

void WinProgramSystem::ListFolder(const char* path, FolderVisitor& visitor) {
    WCHAR pattern[kTextBuffer + 2];
    if (!TextToWide(path, pattern, kTextBuffer)) {
        return;
    }
    lstrcatW(pattern, L"\\*");
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW(pattern, FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        char name[kTextBuffer];
        // A name with no form in the program's code page could not be started by it.
        if (WideToText(entry.cFileName, name, sizeof(name)) &&
            !visitor.Visit(FolderEntry{name, entry.dwFileAttributes})) {
            break;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
}

bool WinProgramSystem::IdentifyFolder(const char* path, FolderIdentity* identity) {
    WCHAR wide[kTextBuffer];
    if (!TextToWide(path, wide, kTextBuffer)) {
        return false;
    }
    HANDLE folder = CreateFileW(wide, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(folder, &information) != FALSE;
    CloseHandle(folder);
    if (known) {
        identity->file = static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 |
                         information.nFileIndexLow;
        identity->volume = information.dwVolumeSerialNumber;
    }
    return known;
}

std::size_t WinProgramSystem::ReadFile(const char* path, void* bytes, std::size_t capacity) {
    WCHAR wide[kTextBuffer];
    if (!TextToWide(path, wide, kTextBuffer)) {
        return 0;
    }
    HANDLE file =
        CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::size_t total = 0;
    DWORD read = 0;
    while (total < capacity &&
           ::ReadFile(file, static_cast<char*>(bytes) + total,
                      static_cast<DWORD>(capacity - total > 65536 ? 65536 : capacity - total),
                      &read, nullptr) &&
           read > 0) {
        total += read;
    }
    CloseHandle(file);
    return total;
}

bool WinProgramSystem::LoadIndirectString(const char* reference, char* text, std::size_t capacity) {
    WCHAR wide[kTextBuffer];
    WCHAR expanded[kTextBuffer];
    // More room than a name of 260 bytes needs: a longer text is told by its length.
    WCHAR loaded[2 * kTextBuffer];
    if (loadIndirectString_ == nullptr || !TextToWide(reference, wide, kTextBuffer)) {
        return false;
    }
    const DWORD length = ExpandEnvironmentStringsW(wide, expanded, kTextBuffer);
    loaded[0] = L'\0';
    return length > 0 && length <= kTextBuffer &&
           SUCCEEDED(loadIndirectString_(expanded, loaded, 2 * kTextBuffer, nullptr)) &&
           lstrlenW(loaded) < 2 * kTextBuffer - 1 &&
           WideToText(loaded, text,
                      capacity > 0x7fffffff ? 0x7fffffff : static_cast<int>(capacity));
}

bool WinProgramSystem::TextFromUtf8(const char* utf8, char* text, std::size_t capacity) {
    WCHAR wide[kTextBuffer];
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide, kTextBuffer) > 0 &&
           WideToText(wide, text, capacity > 0x7fffffff ? 0x7fffffff : static_cast<int>(capacity));
}

void WinProgramSystem::ListAppPaths(bool machine, AppPathVisitor& visitor) {
    WCHAR path[kTextBuffer];
    HKEY appPaths = nullptr;
    if (!TextToWide(machine ? places_.machineAppPaths : places_.userAppPaths, path, kTextBuffer) ||
        path[0] == L'\0' ||
        RegOpenKeyExW(machine ? places_.machineAppPathsRoot : places_.userAppPathsRoot, path, 0,
                      KEY_ENUMERATE_SUB_KEYS, &appPaths) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];  // the longest name a key can have, and its terminator
        DWORD length = 256;
        const LONG status =
            RegEnumKeyExW(appPaths, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break;  // the last one, or the key is gone
        }
        char shown[kTextBuffer];
        HKEY key = nullptr;
        if (!WideToText(name, shown, sizeof(shown)) ||
            RegOpenKeyExW(appPaths, name, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            continue;
        }
        char program[kTextBuffer];
        char folder[kTextBuffer];
        const AppPathKey entry{shown, ReadRegText(key, nullptr, program),
                               ReadRegText(key, L"Path", folder)};
        RegCloseKey(key);
        if (!visitor.Visit(entry)) {
            break;
        }
    }
    RegCloseKey(appPaths);
}

// Where the Applications folder cannot be had or listed (Windows 7; Wine, whose folder
// parses but does not list), nothing is found.
void WinProgramSystem::ListStoreApps(StoreAppVisitor& visitor) {
    if (!places_.storeApps) {
        return;
    }
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    IShellItem* folder = nullptr;
    IEnumShellItems* items = nullptr;
    if (SUCCEEDED(SHGetKnownFolderItem(kFolderApps, KF_FLAG_DEFAULT, nullptr, kShellItem,
                                       reinterpret_cast<void**>(&folder))) &&
        SUCCEEDED(folder->BindToHandler(nullptr, kHandlerEnumItems, kEnumShellItems,
                                        reinterpret_cast<void**>(&items)))) {
        IShellItem* item = nullptr;
        bool more = true;
        while (more && !Cancelled() && items->Next(1, &item, nullptr) == S_OK) {
            PWSTR display = nullptr;
            PWSTR parsing = nullptr;
            char shown[kTextBuffer];
            char id[kTextBuffer];
            if (SUCCEEDED(item->GetDisplayName(SIGDN_NORMALDISPLAY, &display)) &&
                SUCCEEDED(item->GetDisplayName(SIGDN_PARENTRELATIVEPARSING, &parsing)) &&
                WideToText(display, shown, sizeof(shown)) && WideToText(parsing, id, sizeof(id))) {
                more = visitor.Visit(StoreAppItem{shown, id});
            }
            CoTaskMemFree(display);
            CoTaskMemFree(parsing);
            item->Release();
        }
    }
    if (items != nullptr) {
        items->Release();
    }
    if (folder != nullptr) {
        folder->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}

}  // namespace

bool TextToWide(const char* text, WCHAR* wide, int capacity) {
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide, capacity) > 0;
}

bool WideToText(const WCHAR* wide, char* text, int capacity) {
    if (TextIsUtf8()) {
        return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, text, capacity, nullptr,
                                   nullptr) > 0;
    }
    BOOL lost = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, text, capacity, nullptr,
                               &lost) > 0 &&
           !lost;
}

void DefaultProgramPlaces(ProgramPlaces* places) {
    KnownFolder(kFolderPrograms, places->userPrograms);
    KnownFolder(kFolderCommonPrograms, places->commonPrograms);
    KnownFolder(kFolderStartup, places->userStartup);
    KnownFolder(kFolderCommonStartup, places->commonStartup);
    places->userAppPathsRoot = HKEY_CURRENT_USER;
    CopyText(places->userAppPaths, kAppPaths, kTextBuffer);
    places->machineAppPathsRoot = HKEY_LOCAL_MACHINE;
    CopyText(places->machineAppPaths, kAppPaths, kTextBuffer);
    places->storeApps = true;
}

ProgramIndex* BuildProgramIndexAt(const ProgramPlaces& places, const std::atomic<bool>* cancel) {
    WinProgramSystem system(places, cancel);
    const ProgramRoots roots{places.userPrograms, places.commonPrograms, places.userStartup,
                             places.commonStartup};
    return BuildProgramIndex(system, roots);
}
