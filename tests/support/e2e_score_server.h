#pragma once
#include <string>
#include <thread>

// A score server on 127.0.0.1 port 80, where the game's default build sends
// its results. A thread of the test serves one connection: it reads the
// header and its Content-Length bytes of body, answers "dataok" and keeps
// the connection open a little. It gives up after limitMs in all.
class E2eScoreServer {
public:
    explicit E2eScoreServer(int limitMs = 60000);
    ~E2eScoreServer();
    E2eScoreServer(const E2eScoreServer&) = delete;
    E2eScoreServer& operator=(const E2eScoreServer&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    // Waits for the thread; then the bytes the one connection sent.
    const std::string& request();

private:
    void serve();
    int limitMs_;
    int listenFd_ = -1;
    std::string request_;
    std::thread thread_;
};
