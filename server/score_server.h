#pragma once
#include <memory>
#include <string>

#include "score_routes.h"
#include "score_store.h"

struct ServerSettings {
    std::string address = "127.0.0.1";
    int port = 8080;                // 0 picks a free port
    int socketThreads = 2;          // each reads and writes its share of the sockets through epoll
    int databaseThreads = 16;       // wait on the database
    int connections = 20000;        // open at once, of all clients
    int perAddress = 4;             // connections of one client address open at once
    int timeoutSeconds = 5;         // how long a connection may stay quiet
    double submitsPerSecond = 5;    // per client address, after a burst of twice that
    std::string metricsFrom;        // a network besides loopback that may read /metrics, as 10.0.0.0/8
    RouteSettings routes;
};

// Serves uploads, replays and the leaderboard until stop(); the store
// outlives it. Each request's line goes to standard output when it ends.
class ScoreServer {
public:
    ScoreServer(ScoreStore& store, const ServerSettings& settings);
    ~ScoreServer();
    // Returns the bound port, or -1.
    int bind();
    void run();
    void stop();

    struct Impl;  // named here for the HTTP library's callbacks

private:
    std::unique_ptr<Impl> impl_;
};
