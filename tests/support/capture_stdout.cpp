#include "capture_stdout.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

void CaptureStdout::start() {
    std::fflush(stdout);
    char pattern[] = "/tmp/quadrune-stdout-XXXXXX";
    int fd = mkstemp(pattern);
    path_ = pattern;
    savedFd_ = dup(1);
    dup2(fd, 1);
    close(fd);
}

std::string CaptureStdout::finish() {
    std::fflush(stdout);
    dup2(savedFd_, 1);
    close(savedFd_);
    std::ifstream in(path_, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path_.c_str());
    return text;
}
