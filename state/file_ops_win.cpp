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

bool RenameOver(const char* from, const char* to) {
    // The C runtime's rename refuses a `to` that exists; MoveFileExA replaces it in one step.
    // It fails while another program has either file open, as virus scanners and indexers
    // do for a moment after a file was written: such a program gets half a second to let go.
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 25;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            attempt == kAttempts) {
            return false;
        }
        Sleep(kPauseMs);
    }
}
