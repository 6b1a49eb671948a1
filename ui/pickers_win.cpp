#include "ui/pickers_win.h"

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

#include "state/process_win.h"
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
// folder (the system chooses), no hook, no template. Past its first byte (the empty name
// proposed) the path buffer holds no NUL: a picker that ends without writing a terminator
// (Wine's, when the UTF-8 form of the path is longer than the buffer) is seen by that.
void FillFilePicker(OPENFILENAMEA& picker, HWND owner, const char* title, const char* filter,
                    const char* defaultExtension, char* path, DWORD flags) {
    ZeroMemory(&picker, sizeof(picker));
    picker.lStructSize = sizeof(picker);
    picker.hwndOwner = owner;
    picker.lpstrFilter = filter;
    picker.nFilterIndex = 0;
    FillMemory(path, kTextChars, '?');
    path[0] = '\0';
    picker.lpstrFile = path;
    picker.nMaxFile = kTextChars;
    picker.lpstrTitle = title;
    picker.Flags = flags;
    picker.lpstrDefExt = defaultExtension;
}

typedef BOOL(WINAPI* FilePicker)(OPENFILENAMEA*);
typedef DWORD(WINAPI* PickerError)();

SystemFunction<FilePicker> g_openPicker("comdlg32.dll", "GetOpenFileNameA");
SystemFunction<FilePicker> g_savePicker("comdlg32.dll", "GetSaveFileNameA");
SystemFunction<PickerError> g_pickerError("comdlg32.dll", "CommDlgExtendedError");

// A path longer than the buffer ends the picker as a cancel does, told apart only by the
// picker's error.
PickerResult RunFilePicker(SystemFunction<FilePicker>& function, OPENFILENAMEA* picker) {
    FilePicker run = function.Get();
    if (run == nullptr) {
        return PickerResult::Cancelled;
    }
    CurrentFolderKeeper keeper;
    PickerResult pick = PickerResult::Cancelled;
    if (run(picker) != FALSE) {
        const bool ended = picker->lpstrFile[0] != '\0' &&
                           std::memchr(picker->lpstrFile, '\0', picker->nMaxFile) != nullptr;
        pick = ended ? PickerResult::Chosen : PickerResult::TooLong;
    } else {
        PickerError error = g_pickerError.Get();
        pick = error != nullptr && error() == FNERR_BUFFERTOOSMALL ? PickerResult::TooLong
                                                                   : PickerResult::Cancelled;
    }
    if (pick != PickerResult::Chosen) {
        picker->lpstrFile[0] = '\0';
    }
    return pick;
}

}  // namespace

PickerResult PickFileToOpen(HWND owner, const char* title, const char* filter,
                            const char* defaultExtension, char* path) {
    OPENFILENAMEA picker;
    FillFilePicker(picker, owner, title, filter, defaultExtension, path,
                   OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER);
    return RunFilePicker(g_openPicker, &picker);
}

PickerResult PickFileToSave(HWND owner, const char* title, const char* filter,
                            const char* defaultExtension, char* path) {
    OPENFILENAMEA picker;
    FillFilePicker(picker, owner, title, filter, defaultExtension, path,
                   OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER);
    return RunFilePicker(g_savePicker, &picker);
}

PickerResult PickFolder(HWND owner, const char* title, char* path) {
    path[0] = '\0';
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) {
        return PickerResult::Cancelled;
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
    PickerResult pick = PickerResult::Cancelled;
    if (folder != nullptr) {
        // The path in UTF-16, then in the program's code page: the ANSI function would cut a
        // path whose UTF-8 form is longer than MAX_PATH bytes and report it as chosen.
        WCHAR wide[MAX_PATH];
        if (SHGetPathFromIDListW(folder, wide) != FALSE) {
            pick = WideCharToMultiByte(CP_ACP, 0, wide, -1, path, kTextBuffer, nullptr, nullptr) > 0
                       ? PickerResult::Chosen
                       : PickerResult::TooLong;
        }
        allocator->Free(folder);
    }
    allocator->Release();
    if (pick != PickerResult::Chosen) {
        path[0] = '\0';
    }
    return pick;
}

bool Picked(HWND dialog, PickerResult pick) {
    if (pick == PickerResult::TooLong) {
        ShowMessage(dialog, "The chosen path is too long.", MB_ICONWARNING | MB_OK);
    }
    return pick == PickerResult::Chosen;
}
