#include "state/file_ops.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

std::FILE* CreateNewFile(const char* path) {
    const int fd = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) {
        _close(fd);
        DeleteFileA(path);
    }
    return file;
}

bool CommitAndClose(std::FILE* file) {
    bool ok = std::fflush(file) == 0;
    ok &= _commit(_fileno(file)) == 0;
    ok &= std::fclose(file) == 0;
    return ok;
}

namespace {

// What SetFileAttributesA may give a file that the export writes (read-only files are
// never replaced).
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// One try at putting `from` in the place of `to`: ERROR_SUCCESS, or the error that stopped
// it, with both files under their own names again.
DWORD TryRenameOver(const char* from, const char* to, const char* aside) {
    const DWORD attributes = GetFileAttributesA(to);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) {
            return error;
        }
        // Nothing to replace. Should a file of that name come meanwhile, this fails and the
        // next try replaces it.
        return MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) ? ERROR_SUCCESS : GetLastError();
    }
    // ReplaceFileA gives the new file the old one's attributes, security, named streams and
    // creation time (MoveFileExA would drop them all). Wine's only moves the file in, so
    // the attributes are given here as well, which changes nothing on Windows. A hard link
    // to the old file keeps the old contents either way: the new file is another file.
    const DWORD carried = attributes & kCarriedAttributes;
    SetFileAttributesA(from, carried != 0 ? carried : FILE_ATTRIBUTE_NORMAL);
    // The old file goes aside first: a failure on the way finds it there and puts it back.
    if (ReplaceFileA(to, from, aside, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        DeleteFileA(aside);
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The old file was set aside, but the new one could not take its name: it goes back.
        MoveFileExA(aside, to, MOVEFILE_WRITE_THROUGH);
    }
    return error;
}

}  // namespace

bool RenameOver(const char* from, const char* to, const char* aside) {
    // Replacing fails while another program has either file open without sharing its
    // deletion, as virus scanners and indexers do for a moment after a file was written:
    // such a program gets half a second to let go.
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 25;
    for (int attempt = 1;; ++attempt) {
        const DWORD error = TryRenameOver(from, to, aside);
        if (error == ERROR_SUCCESS) {
            return true;
        }
        const bool held =
            error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
            error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
            error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 || error == ERROR_ALREADY_EXISTS;
        if (!held || attempt == kAttempts) {
            return false;
        }
        Sleep(kPauseMs);
    }
}

std::uint32_t NameSeed() {
    return static_cast<std::uint32_t>(GetCurrentProcessId()) * 2654435761u ^ GetTickCount();
}
