#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "score_store.h"
#include "server_metrics.h"
#include "web_files.h"

struct HttpRequest {
    std::string method;
    std::string path;     // without the query
    std::string query;    // the raw text after '?'
    std::string body;
    std::string address;  // the client's
    bool mayReadMetrics = false;
    std::string acceptEncoding, ifNoneMatch;  // the client's headers, for the web build's files
};

// An open file sent as the body straight from the disk; closed with the
// reply unless the transport took it over.
struct FileBody {
    int fd = -1;
    uint64_t size = 0;
    FileBody(int descriptor, uint64_t bytes) : fd(descriptor), size(bytes) {}
    ~FileBody();
    FileBody(const FileBody&) = delete;
    FileBody& operator=(const FileBody&) = delete;
};

struct HttpReply {
    int status = 200;
    std::string type = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    std::shared_ptr<FileBody> file;  // sent instead of body when set
};

// One plain-text line, the way every refusal answers.
HttpReply plainReply(int status, const std::string& line);

struct RouteSettings {
    int leaderRows = 10;
    bool requireReplay = false;      // list only rows whose replay was played again
    uint32_t replayMaxAgeSeconds = 7 * 24 * 3600;
    std::string webRoot = "/usr/share/quadrune-web";  // the browser build, where its package installs it
};

// What each path answers. Runs wherever the server puts it: everything that
// touches the database or plays a replay is kept off the socket threads.
class ScoreRoutes {
public:
    enum class Work { Now, Database, Verification };
    ScoreRoutes(ScoreStore& store, const RouteSettings& settings, ServerMetrics& metrics)
        : store_(store), settings_(settings), metrics_(metrics), web_(settings.webRoot) {}
    static Work workFor(const HttpRequest& request);
    HttpReply answer(const HttpRequest& request);

private:
    HttpReply upload(const HttpRequest& request);
    HttpReply replay(const HttpRequest& request);
    HttpReply page();
    HttpReply scores(const HttpRequest& request);
    HttpReply replayFile(const std::string& path);

    ScoreStore& store_;
    RouteSettings settings_;
    ServerMetrics& metrics_;
    WebFiles web_;
};
