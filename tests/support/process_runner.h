#pragma once
#include <map>
#include <string>
#include <vector>

// Runs a program to its end with a time limit, in a working directory,
// with extra environment settings (an empty value unsets the variable).
struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal or the time limit
    bool timedOut = false;
    std::string out;
    std::string err;
};

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         const std::map<std::string, std::string>& env, int timeoutMs);
