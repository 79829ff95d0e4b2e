#include "render_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {
bool drainOnce(int fd, std::string& into) {
    char buffer[4096];
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) return false;
    into.append(buffer, static_cast<size_t>(got));
    return true;
}

pid_t spawn(const std::vector<std::string>& argv, const std::string& workDir,
            const std::map<std::string, std::string>& env, int outFd, int errFd) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
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
}  // namespace

SignalledRun runUntilOutput(const std::vector<std::string>& argv, const std::string& workDir,
                            const std::map<std::string, std::string>& env, const std::string& marker,
                            int timeoutMs) {
    SignalledRun run;
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return run;
    pid_t pid = spawn(argv, workDir, env, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.result.timedOut = true;
            kill(-pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outOpen ? outPipe[0] : -1, POLLIN, 0}, {errOpen ? errPipe[0] : -1, POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        if (fds[0].revents & (POLLIN | POLLHUP)) outOpen = drainOnce(outPipe[0], run.result.out);
        if (fds[1].revents & (POLLIN | POLLHUP)) errOpen = drainOnce(errPipe[0], run.result.err);
        if (!run.markerSeen && run.result.out.find(marker) != std::string::npos) {
            run.markerSeen = true;
            kill(pid, SIGTERM);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(outPipe[0]);
    close(errPipe[0]);
    if (!run.result.timedOut && WIFEXITED(status)) run.result.exitCode = WEXITSTATUS(status);
    return run;
}
