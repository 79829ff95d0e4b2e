#pragma once
#include <string>
#include <utility>

struct HttpRequest;
struct HttpReply;
class ServerMetrics;

// The browser build of the game, served from a folder under /play/. Every
// request resolves the folder afresh, so a build installed or upgraded while
// the server runs is served at once.
class WebFiles {
public:
    explicit WebFiles(std::string root) : root_(std::move(root)) {}
    static bool covers(const std::string& path) { return path == "/play" || path.rfind("/play/", 0) == 0; }
    // Files for GET and HEAD, as the request's validators and encodings allow.
    HttpReply answer(const HttpRequest& request, ServerMetrics& metrics) const;
    // Whether there is a game to link to from the leaderboard.
    bool playable() const;

private:
    std::string root_;
};
