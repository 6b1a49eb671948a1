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
    // The C runtime's rename refuses a `to` that exists; this replaces it in one step.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
