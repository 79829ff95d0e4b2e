#pragma once
#include <string>

// Captures what is written to standard output (file descriptor 1) between
// start() and finish().
class CaptureStdout {
public:
    void start();
    std::string finish();

private:
    int savedFd_ = -1;
    std::string path_;
};
