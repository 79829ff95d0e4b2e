#include "process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {
void drain(int fd, std::string& into, bool& open) {
    char buffer[4096];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) into.append(buffer, static_cast<size_t>(got));
    else open = false;
}
}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::map<std::string, std::string>& env, int timeoutMs) {
    int outPipe[2], errPipe[2];
    ProcessResult result;
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        if (chdir(workDir.c_str()) != 0) _exit(127);
        for (const auto& [key, value] : env) {
            if (value.empty()) unsetenv(key.c_str());
            else setenv(key.c_str(), value.c_str(), 1);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP))) drain(outPipe[0], result.out, outOpen);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP))) drain(errPipe[0], result.err, errOpen);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(outPipe[0]);
    close(errPipe[0]);
    if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}
