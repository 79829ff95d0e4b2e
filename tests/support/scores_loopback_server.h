#pragma once
#include <string>
#include <thread>
#include <vector>

// How the test server treats one connection, after it has read a whole
// request (header plus Content-Length bytes of body).
struct ScoresServerReply {
    std::vector<std::string> packets;  // sent in order; none means stay silent
    int firstDelayMs = 0;               // before the first packet
    int gapMs = 0;                      // between packets
    int holdMs = 0;                     // keep the connection open this long afterwards
    bool readRequest = true;            // false: hang up as soon as the client connects
};

// A score server on 127.0.0.1, at an ephemeral port unless one is named, run
// by a thread of the test. It serves one connection per reply and gives up
// after limitMs.
class ScoresLoopbackServer {
public:
    explicit ScoresLoopbackServer(std::vector<ScoresServerReply> replies, int limitMs = 10000, int port = 0);
    ~ScoresLoopbackServer();
    ScoresLoopbackServer(const ScoresLoopbackServer&) = delete;
    ScoresLoopbackServer& operator=(const ScoresLoopbackServer&) = delete;

    int port() const { return port_; }
    // Waits for the thread; then the bytes each connection sent, in order.
    const std::vector<std::string>& requests();

private:
    void serve();
    std::vector<ScoresServerReply> replies_;
    int limitMs_;
    int listenFd_ = -1;
    int port_ = 0;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A loopback port on which nothing listens.
int scoresClosedPort();
