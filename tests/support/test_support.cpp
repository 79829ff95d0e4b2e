#include "test_support.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) { return fs::exists(path); }

namespace {
pid_t xServer = -1;
}  // namespace

void stopXServer() {
    if (xServer > 0) kill(xServer, SIGTERM), waitpid(xServer, nullptr, 0);
    xServer = -1;
}

// One start of Xvfb; false when it did not come up.
bool tryXServer(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    xServer = fork();
    if (xServer == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it took once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return stopXServer(), false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

bool startOwnXServer(const std::string& screen) {
    if (xServer > 0) return true;
    // Two Xvfbs starting at once can pick the same free display, and the
    // loser exits with "server already running": try again a few times.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!tryXServer(screen)) continue;
        std::atexit(stopXServer);
        return true;
    }
    return false;
}

void linkGameData() {
    fs::path source = fs::path(QUADRUNE_SOURCE_DIR) / "data";
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        fs::path relative = "data" / fs::relative(entry.path(), source);
        if (entry.is_directory()) fs::create_directories(relative);
        else fs::create_symlink(entry.path(), relative);
    }
}
