#include "game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "temp_dir.h"

GameProcess::GameProcess(const std::string& workDir, const std::map<std::string, std::string>& env)
    : workDir_(workDir) {
    pid_ = fork();
    if (pid_ != 0) return;
    setpgid(0, 0);
    if (chdir(workDir.c_str()) != 0) _exit(127);
    int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    for (const auto& [key, value] : env) {
        if (value.empty()) unsetenv(key.c_str());
        else setenv(key.c_str(), value.c_str(), 1);
    }
    execl(QUADRUNE_BINARY, QUADRUNE_BINARY, static_cast<char*>(nullptr));
    _exit(127);
}

GameProcess::~GameProcess() {
    if (!ended_ && pid_ > 0) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool GameProcess::running() {
    if (ended_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return !ended_;
}

int GameProcess::waitForExit(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return ended_ ? exitCode_ : -1;
}

void GameProcess::terminate() {
    if (!ended_) kill(pid_, SIGTERM);
}

std::string GameProcess::out() const {
    auto bytes = readFileBytes(workDir_ + "/stdout.txt");
    return {bytes.begin(), bytes.end()};
}

std::string GameProcess::err() const {
    auto bytes = readFileBytes(workDir_ + "/stderr.txt");
    return {bytes.begin(), bytes.end()};
}

bool GameProcess::waitForOutputEnd(const std::string& text, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        std::string now = out();
        if (now.size() >= text.size() && now.compare(now.size() - text.size(), text.size(), text) == 0) return true;
        if (!running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}
