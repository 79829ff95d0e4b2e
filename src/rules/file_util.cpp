#include "rules/file_util.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The rename lives in the directory: until that reaches the disk, a power
// loss could bring back the old file (whole, but without the new save).
void syncDirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}
}  // namespace

bool writeFileAtomically(const char* path, const void* data, size_t size) {
    std::string temporary = std::string(path) + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    written = (std::fflush(file) == 0) && written;
    written = (fsync(fileno(file)) == 0) && written;
    written = (std::fclose(file) == 0) && written;
    if (!written || std::rename(temporary.c_str(), path) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

long readStoredFile(const char* path, void* buffer, size_t size) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, static_cast<char*>(buffer) + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // an unreadable rest counts as the end of the file
        got += static_cast<size_t>(n);
    }
    close(fd);
    return static_cast<long>(got);
}
