#pragma once
#include <map>
#include <string>
#include <vector>

#include "process_runner.h"

// Runs a program in a working directory until its standard output holds
// `marker`, then sends SIGTERM (SDL makes a quit request of it) and collects
// the rest; env entries are set for it (an empty value unsets). A program that ends on its own is simply collected. Past
// timeoutMs the whole process group is killed and timedOut is set.
struct SignalledRun {
    ProcessResult result;
    bool markerSeen = false;
};

SignalledRun runUntilOutput(const std::vector<std::string>& argv, const std::string& workDir,
                            const std::map<std::string, std::string>& env, const std::string& marker,
                            int timeoutMs);
