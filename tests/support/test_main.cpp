#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

// Each test process works in a directory of its own, removed afterwards.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char pattern[] = "/tmp/quadrune-test-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0) return 1;
    int result = RUN_ALL_TESTS();
    if (chdir("/") == 0) std::filesystem::remove_all(pattern);
    return result;
}
