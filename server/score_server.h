#pragma once
#include <memory>
#include <string>

#include "score_store.h"

struct ServerSettings {
    std::string address = "127.0.0.1";
    int port = 8080;                // 0 picks a free port
    int threads = 16;               // connections served at once
    int queued = 64;                // accepted connections that may wait for a thread
    double submitsPerSecond = 5;    // per client address, after a burst of twice that
    int speakSeconds = 1;           // how long a new connection may stay silent
    int timeoutSeconds = 5;         // for the whole request and its answer
    int perAddress = 4;             // connections of one client address served at once
    int leaderRows = 10;
};

// Serves uploads and the leaderboard until stop(); the store outlives it.
class ScoreServer {
public:
    ScoreServer(ScoreStore& store, const ServerSettings& settings);
    ~ScoreServer();
    // Returns the bound port, or -1.
    int bind();
    void run();
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
