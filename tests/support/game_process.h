#pragma once
#include <sys/types.h>

#include <map>
#include <string>

// The real binary running in the background in a working directory, its
// output going to files there. Killed (with its process group) when the
// object goes, if it has not ended by then.
class GameProcess {
public:
    GameProcess(const std::string& workDir, const std::map<std::string, std::string>& env = {});
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Waits up to timeoutMs for the end; returns the exit code, or -1.
    int waitForExit(int timeoutMs);
    bool running();
    pid_t pid() const { return pid_; }
    std::string out() const;
    std::string err() const;
    // Waits up to timeoutMs until standard output ends with text.
    bool waitForOutputEnd(const std::string& text, int timeoutMs);
    void terminate();  // SIGTERM, which SDL turns into a quit request

private:
    std::string workDir_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
    bool ended_ = false;
};
