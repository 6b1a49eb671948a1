#include "state/file_ops.h"

#include <fcntl.h>
#include <time.h>
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

bool RenameOver(const char* from, const char* to, const char*) {
    // POSIX rename replaces an existing `to` atomically. The new file keeps a mode of its
    // own: the program runs on Windows, and natively only the contents matter.
    return std::rename(from, to) == 0;
}

std::uint32_t NameSeed() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint32_t>(getpid()) * 2654435761u ^
           static_cast<std::uint32_t>(now.tv_sec * 1000000 + now.tv_nsec / 1000);
}
