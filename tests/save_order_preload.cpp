// Loaded into the real game with LD_PRELOAD: each flush of a file to disk
// and each rename goes as a line into $QUADRUNE_SAVE_LOG, with the size the
// file has at that moment, so a test can tell whether a save's bytes were on
// the disk before it replaced the old file.
//   sync <size> <path>
//   rename <size> <path> <new name>
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {
template <typename Function>
Function realCall(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void note(const char* what, long long size, const char* path, const char* newName) {
    const char* log = getenv("QUADRUNE_SAVE_LOG");
    if (!log) return;
    char line[3 * PATH_MAX];
    int length = std::snprintf(line, sizeof line, "%s %lld %s %s\n", what, size, path, newName);
    if (length <= 0 || length >= static_cast<int>(sizeof line)) return;
    int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ssize_t written = write(fd, line, static_cast<size_t>(length));
    (void)written;  // a lost line shows as a missing sync
    close(fd);
}

void noteSync(int fd) {
    char link[64], path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t length = readlink(link, path, sizeof path - 1);
    struct stat info;
    if (length <= 0 || fstat(fd, &info) != 0) return;
    path[length] = '\0';
    note("sync", static_cast<long long>(info.st_size), path, "");
}
}  // namespace

extern "C" int fsync(int fd) {
    static const auto real = realCall<int (*)(int)>("fsync");
    noteSync(fd);
    return real(fd);
}

extern "C" int fdatasync(int fd) {
    static const auto real = realCall<int (*)(int)>("fdatasync");
    noteSync(fd);
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    static const auto real = realCall<int (*)(const char*, const char*)>("rename");
    char path[PATH_MAX];
    struct stat info;
    if (realpath(from, path) && stat(path, &info) == 0) note("rename", static_cast<long long>(info.st_size), path, to);
    return real(from, to);
}
