#pragma once
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

// How the server treats one connection once it has read a whole request.
struct ServerReply {
    std::vector<std::string> packets;  // sent in order; none: stay silent
    int firstDelayMs = 0;              // before the first packet
    int gapMs = 0;                     // between packets
    int holdMs = 0;                    // keep the connection open afterwards
    bool readRequest = true;           // false: hang up on connect
};

// A score server on an ephemeral port of 127.0.0.1, run by a thread: one
// connection per reply, all within limitMs.
struct Answer {
    int status = 0;
    std::string body;
    std::string head;  // the status line and headers, without the blank line
    // A header's value, its name in any case; empty when absent.
    std::string header(const std::string& name) const;
};
// A connection to a loopback port from a loopback address of the caller's choice; -1 if refused.
int connectFrom(const char* source, int port);
// One request to a loopback port on its own connection, sent in pieces;
// the answer is read until the server closes.
Answer exchange(int port, std::initializer_list<std::string> pieces, int waitSeconds = 5);
Answer exchangeFrom(const char* source, int port, std::initializer_list<std::string> pieces, int waitSeconds = 5);

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<ServerReply> replies, int limitMs = 10000);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    // Waits for the thread; then the bytes of each request, in order.
    const std::vector<std::string>& requests();

private:
    void serve();
    std::vector<ServerReply> replies_;
    int limitMs_;
    int listenFd_ = -1;
    int port_ = 0;
    std::vector<std::string> requests_;
    std::thread thread_;
};
