#include "platform/player_dir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char* const kSaveNames[] = {"config.dat", "highscore.dat", "config.dat.tmp", "highscore.dat.tmp"};
std::string throwawayDir;

std::string parentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool fail(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

bool makeDirectories(const std::string& dir, std::string* error) {
    if (isDirectory(dir)) return true;
    std::string parent = parentOf(dir);
    if (parent != dir && !makeDirectories(parent, error)) return false;
    if (mkdir(dir.c_str(), 0700) == 0 || (errno == EEXIST && isDirectory(dir))) return true;
    if (errno == EEXIST) errno = ENOTDIR;
    return fail(error, "cannot create " + dir);
}

std::string linkTarget(const std::string& path) {
    char target[4096];
    ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length < 0 ? std::string() : std::string(target, static_cast<size_t>(length));
}

// A new link is made beside the old one and renamed over it, so a game
// started at the same moment never finds no data at all.
bool pointLinkAt(const std::string& link, const std::string& target, std::string* error) {
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode) || linkTarget(link) == target) return true;
    }
    std::string fresh = link + ".new";
    unlink(fresh.c_str());
    if (symlink(target.c_str(), fresh.c_str()) != 0) return fail(error, "cannot link " + link);
    if (rename(fresh.c_str(), link.c_str()) == 0) return true;
    fail(error, "cannot link " + link);
    unlink(fresh.c_str());
    return false;
}

std::string executablePath() {
    std::string path = linkTarget("/proc/self/exe");
    const char* deleted = " (deleted)";
    size_t at = path.rfind(deleted);
    if (at != std::string::npos && at + std::strlen(deleted) == path.size()) path.erase(at);
    return path;
}

const char* homeDirectory() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* entry = getpwuid(getuid());
    return entry ? entry->pw_dir : nullptr;
}

void removeThrowawayDir() {
    for (const char* name : kSaveNames) unlink((throwawayDir + "/" + name).c_str());
    unlink((throwawayDir + "/data").c_str());
    rmdir(throwawayDir.c_str());
}

bool enterThrowawayDir(const std::string& dataDir) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/quadrune-XXXXXX";
    if (!mkdtemp(&pattern[0])) return false;
    throwawayDir = pattern;
    std::atexit(removeThrowawayDir);
    return preparePlayerDir(throwawayDir, dataDir, nullptr) && chdir(throwawayDir.c_str()) == 0;
}
}  // namespace

std::string installedDataDir(const std::string& executablePath) {
    if (executablePath.empty() || executablePath[0] != '/') return "";
    std::string prefix = parentOf(parentOf(executablePath));
    std::string data = (prefix == "/" ? "" : prefix) + "/share/games/quadrune";
    return isDirectory(data + "/pics") ? data : "";
}

std::string playerDir(const char* xdgDataHome, const char* home) {
    if (xdgDataHome && xdgDataHome[0] == '/') return std::string(xdgDataHome) + "/quadrune";
    if (home && home[0] == '/') return std::string(home) + "/.local/share/quadrune";
    return "";
}

bool preparePlayerDir(const std::string& dir, const std::string& dataDir, std::string* error) {
    return makeDirectories(dir, error) && pointLinkAt(dir + "/data", dataDir, error);
}

void enterPlayerDir() {
    std::string dataDir = installedDataDir(executablePath());
    if (dataDir.empty()) return;
    std::string dir = playerDir(std::getenv("XDG_DATA_HOME"), homeDirectory());
    std::string error = dir.empty() ? "no home directory" : "";
    if (!dir.empty() && preparePlayerDir(dir, dataDir, &error)) {
        if (chdir(dir.c_str()) == 0) return;
        fail(&error, "cannot enter " + dir);
    }
    std::fprintf(stderr, "quadrune: %s; settings and highscores will not be kept\n", error.c_str());
    if (!enterThrowawayDir(dataDir)) std::fprintf(stderr, "quadrune: cannot link a directory to %s\n", dataDir.c_str());
}
