#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "score_store.h"
#include "server_metrics.h"

struct HttpRequest {
    std::string method;
    std::string path;     // without the query
    std::string query;    // the raw text after '?'
    std::string body;
    std::string address;  // the client's
    bool mayReadMetrics = false;
};

struct HttpReply {
    int status = 200;
    std::string type = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// One plain-text line, the way every refusal answers.
HttpReply plainReply(int status, const std::string& line);

struct RouteSettings {
    int leaderRows = 10;
    bool requireReplay = false;      // list only rows whose replay was played again
    uint32_t replayMaxAgeSeconds = 7 * 24 * 3600;
    int dailyRows = 100;
    bool webServed = false;          // the browser game is served at /play/: boards link to it
};

// What each path answers. Runs wherever the server puts it: everything that
// touches the database or plays a replay is kept off the socket threads.
class ScoreRoutes {
public:
    enum class Work { Now, Database, Verification };
    ScoreRoutes(ScoreStore& store, const RouteSettings& settings, ServerMetrics& metrics)
        : store_(store), settings_(settings), metrics_(metrics) {}
    static Work workFor(const HttpRequest& request);
    HttpReply answer(const HttpRequest& request);

private:
    HttpReply upload(const HttpRequest& request);
    HttpReply replay(const HttpRequest& request);
    HttpReply page();
    HttpReply scores(const HttpRequest& request);
    HttpReply replayFile(const std::string& path);
    HttpReply dailyBoard(const HttpRequest& request);

    ScoreStore& store_;
    RouteSettings settings_;
    ServerMetrics& metrics_;
};
