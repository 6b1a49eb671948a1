#include "state/file_ops.h"

#include <fcntl.h>
#include <unistd.h>

std::FILE* CreateNewFile(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        close(fd);
        unlink(path);
    }
    return file;
}

bool CommitAndClose(std::FILE* file) {
    bool ok = std::fflush(file) == 0;
    ok &= fsync(fileno(file)) == 0;
    ok &= std::fclose(file) == 0;
    return ok;
}

bool RenameOver(const char* from, const char* to) {
    // POSIX rename replaces an existing `to` atomically.
    return std::rename(from, to) == 0;
}
