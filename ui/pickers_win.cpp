#include "ui/pickers_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include "state/text.h"
#include "ui/system_library_win.h"

const char kAliasFileFilter[] = "Zantrel Alias Data (*.dat)\0*.dat\0";
const char kAllFilesFilter[] = "All (*.*)\0*.*\0";

namespace {

// The pickers may leave the process's current folder where the user browsed to. A program
// that runs all day would then hold that folder open (a USB stick could not be ejected),
// and every alias without a start folder would start there. While one of these lives, a
// picker may move the current folder; it puts the folder back when it goes.
class CurrentFolderKeeper {
  public:
    CurrentFolderKeeper() : length_(GetCurrentDirectoryA(sizeof(folder_), folder_)) {}
    ~CurrentFolderKeeper() {
        if (length_ > 0 && length_ < sizeof(folder_)) {
            SetCurrentDirectoryA(folder_);
        }
    }
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

  private:
    char folder_[MAX_PATH * 4];  // MAX_PATH characters of up to four bytes each (UTF-8)
    DWORD length_;
};

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

SystemFunction<FilePicker> g_openPicker("comdlg32.dll", "GetOpenFileNameA");
SystemFunction<FilePicker> g_savePicker("comdlg32.dll", "GetSaveFileNameA");

BOOL RunFilePicker(SystemFunction<FilePicker>& function, OPENFILENAMEA* picker) {
    FilePicker run = function.Get();
    CurrentFolderKeeper keeper;
    return run != nullptr ? run(picker) : FALSE;
}

}  // namespace

bool PickFileToOpen(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                    char* path) {
    OPENFILENAMEA picker;
    FillFilePicker(picker, owner, title, filter, defaultExtension, path,
                   OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER);
    return RunFilePicker(g_openPicker, &picker) != FALSE;
}

bool PickFileToSave(HWND owner, const char* title, const char* filter, const char* defaultExtension,
                    char* path) {
    OPENFILENAMEA picker;
    FillFilePicker(picker, owner, title, filter, defaultExtension, path,
                   OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER);
    return RunFilePicker(g_savePicker, &picker) != FALSE;
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
    CurrentFolderKeeper keeper;
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
