#include "ui/pickers_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include "state/text.h"

const char kAliasFileFilter[] = "Zantrel Alias Data (*.dat)\0*.dat\0";
const char kAllFilesFilter[] = "All (*.*)\0*.*\0";

namespace {

// Everything not named here stays zero: no custom filter, no file-title buffer, no initial
// folder (the system chooses), no hook, no template.
void FillFilePicker(OPENFILENAMEA& picker, HWND owner, const char* title, const char* filter,
                    const char* defaultExtension, char* path, DWORD flags) {
    ZeroMemory(&picker, sizeof(picker));
    picker.lStructSize = sizeof(picker);
    picker.hwndOwner = owner;
    picker.lpstrFilter = filter;
    picker.nFilterIndex = 0;
    path[0] = '\0';
    picker.lpstrFile = path;
    picker.nMaxFile = kTextChars;
    picker.lpstrTitle = title;
    picker.Flags = flags;
    picker.lpstrDefExt = defaultExtension;
}

typedef BOOL(WINAPI* FilePicker)(OPENFILENAMEA*);

// The common dialogs' library is loaded at the first pick rather than at every start-up,
// where mapping it would cost each start of the program for a dialog seldom opened. It
// stays loaded for the life of the process.
BOOL RunFilePicker(const char* function, OPENFILENAMEA* picker) {
    static HMODULE library = LoadLibraryA("comdlg32.dll");
    FilePicker run = library == nullptr ? nullptr
                                        : reinterpret_cast<FilePicker>(reinterpret_cast<void*>(
                                              GetProcAddress(library, function)));
    return run != nullptr ? run(picker) : FALSE;
}

}  // namespace

bool PickFileToOpen(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                    char* path) {
    OPENFILENAMEA picker;
    FillFilePicker(picker, owner, title, filter, defaultExtension, path,
                   OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER);
    return RunFilePicker("GetOpenFileNameA", &picker) != FALSE;
}

bool PickFileToSave(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                    char* path) {
    OPENFILENAMEA picker;
    FillFilePicker(picker, owner, title, filter, defaultExtension, path,
                   OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER);
    return RunFilePicker("GetSaveFileNameA", &picker) != FALSE;
}

bool PickFolder(HWND owner, const char* title, char* path) {
    path[0] = '\0';
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) {
        return false;
    }
    BROWSEINFOA browse;
    ZeroMemory(&browse, sizeof(browse));
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;  // the desktop
    browse.pszDisplayName = path;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST folder = SHBrowseForFolderA(&browse);
    bool chosen = false;
    if (folder != nullptr) {
        // Overwrites the display name the browser left in the buffer. A path longer than the
        // buffer may come back cut anywhere, even without its terminator: it is ended and cut
        // between characters.
        chosen = SHGetPathFromIDListA(folder, path) != FALSE;
        path[kTextChars] = '\0';
        CopyText(path, path, kTextBuffer);
        allocator->Free(folder);
    }
    allocator->Release();
    if (!chosen) {
        path[0] = '\0';
    }
    return chosen;
}
