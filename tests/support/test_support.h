#pragma once
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// Every test process runs in a fresh directory of its own (see test_main.cpp).
std::vector<unsigned char> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool fileExists(const std::string& path);

// Polls `done` until it holds or timeoutMs pass; the one way tests wait.
template <typename Done>
bool waitFor(Done done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Starts a virtual X server of this process's own and points DISPLAY at it,
// so tests that open windows never share a display. False without Xvfb.
bool startOwnXServer(const std::string& screen = "1024x768x24");
// Ends it at once, as a crash or the end of a session would.
void stopXServer();

// A data/ folder in the working directory whose files link to the game's.
void linkGameData();
