#include "score_routes.h"

#include <unistd.h>

#include <ctime>
#include <optional>

#include "leaderboard_page.h"
#include "replay_intake.h"

namespace {
const char* const kUnreadable = "scores cannot be read now, try again";
const char* const kReplayPrefix = "/replays/";
const char* const kReplaySuffix = ".qrp";

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// The number in /replays/ID.qrp, or 0.
int64_t replayIdOf(const std::string& path) {
    std::string prefix = kReplayPrefix, suffix = kReplaySuffix;
    if (!startsWith(path, prefix) || path.size() <= prefix.size() + suffix.size() || path.size() > prefix.size() + 22 ||
        path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    std::string digits = path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 18) return 0;
    return std::stoll(digits);
}

std::string queryValue(const std::string& query, const std::string& key) {
    for (std::size_t at = 0; at <= query.size();) {
        std::size_t end = query.find('&', at);
        if (end == std::string::npos) end = query.size();
        if (query.compare(at, key.size() + 1, key + "=") == 0) return query.substr(at + key.size() + 1, end - at - key.size() - 1);
        at = end + 1;
    }
    return "";
}

const char* uploadReason(int status) {
    switch (status) {
        case 400: return "malformed";
        case 404: return "path";
        default: return "row";
    }
}
// The game's clients look for this word alone, in a reply without a charset.
HttpReply acknowledgement(const char* word) {
    HttpReply reply;
    reply.type = "text/plain";
    reply.body = word;
    return reply;
}
}  // namespace

FileBody::~FileBody() {
    if (fd >= 0) close(fd);
}

HttpReply plainReply(int status, const std::string& line) {
    HttpReply reply;
    reply.status = status;
    reply.body = line + "\n";
    return reply;
}

ScoreRoutes::Work ScoreRoutes::workFor(const HttpRequest& request) {
    // A file's metadata is in the page cache and its bytes go out by sendfile.
    if (WebFiles::covers(request.path)) return Work::Now;
    if (request.method == "POST" && request.path == "/replay.php") return Work::Verification;
    if (request.method == "POST") return Work::Database;
    if (request.method != "GET" || request.path == "/metrics") return Work::Now;
    if (request.path == "/" || request.path == "/scores.json" || replayIdOf(request.path) > 0) return Work::Database;
    return Work::Now;
}

HttpReply ScoreRoutes::answer(const HttpRequest& request) {
    if (WebFiles::covers(request.path)) return web_.answer(request, metrics_);
    if (request.method == "POST") return request.path == "/replay.php" ? replay(request) : upload(request);
    if (request.method != "GET") return plainReply(405, "only GET and POST");
    if (request.path == "/") return page();
    if (request.path == "/scores.json") return scores(request);
    if (request.path == "/metrics") {
        if (!request.mayReadMetrics) return plainReply(403, "metrics are served to loopback and --metrics-from only");
        HttpReply reply;
        reply.type = "text/plain; version=0.0.4; charset=utf-8";
        reply.body = metrics_.render();
        return reply;
    }
    if (replayIdOf(request.path) > 0) return replayFile(request.path);
    return plainReply(404, "unknown path");
}

HttpReply ScoreRoutes::upload(const HttpRequest& request) {
    UploadVerdict verdict = checkUpload(request.path, request.query, request.body);
    if (verdict.status != 200) {
        metrics_.upload("refused", uploadReason(verdict.status));
        return plainReply(verdict.status, verdict.reason);
    }
    StoreResult result = store_.add(verdict.upload);
    if (result == StoreResult::Unavailable) {
        metrics_.databaseError(), metrics_.upload("unavailable");
        return plainReply(503, "scores cannot be stored now, try again");
    }
    metrics_.upload(result == StoreResult::Stored ? "stored" : "duplicate");
    return acknowledgement("dataok");
}

HttpReply ScoreRoutes::replay(const HttpRequest& request) {
    ReplayRules rules{uint32_t(std::time(nullptr)), settings_.replayMaxAgeSeconds};
    ReplayJudgement judgement = judgeReplay(request.query, request.body, rules);
    if (judgement.verifySeconds > 0) metrics_.verified(judgement.verifySeconds);
    if (judgement.status != 200) {
        metrics_.replay("refused", judgement.kind);
        return plainReply(judgement.status, judgement.reason);
    }
    StoreResult result = store_.addVerified(judgement.upload, request.body);
    if (result == StoreResult::Unavailable) {
        metrics_.databaseError(), metrics_.replay("unavailable");
        return plainReply(503, "replays cannot be stored now, try again");
    }
    metrics_.replay(result == StoreResult::Stored ? "verified" : "duplicate");
    return acknowledgement("replayok");
}

HttpReply ScoreRoutes::page() {
    std::vector<ModeBoard> all;
    for (int mode = 1; mode <= 4; ++mode) {
        auto rows = store_.top(mode, settings_.leaderRows, settings_.requireReplay);
        if (!rows) return metrics_.databaseError(), plainReply(503, kUnreadable);
        all.push_back({mode, std::move(*rows)});
    }
    HttpReply reply;
    reply.type = "text/html; charset=utf-8";
    reply.body = renderLeaderboardPage(all, web_.playable());
    reply.headers.push_back({"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"});
    return reply;
}

HttpReply ScoreRoutes::scores(const HttpRequest& request) {
    int mode = parseMode(queryValue(request.query, "mode"));
    if (mode == 0) return plainReply(400, "query must be mode=1, 2, 3 or 4");
    auto rows = store_.top(mode, settings_.leaderRows, settings_.requireReplay);
    if (!rows) return metrics_.databaseError(), plainReply(503, kUnreadable);
    HttpReply reply;
    reply.type = "application/json";
    reply.body = renderScoresJson({mode, std::move(*rows)});
    return reply;
}

HttpReply ScoreRoutes::replayFile(const std::string& path) {
    int64_t id = replayIdOf(path);
    StoredReplay file = store_.replay(id);
    if (!file) return metrics_.databaseError(), plainReply(503, kUnreadable);
    if (file->empty()) return plainReply(404, "no replay for that row");
    HttpReply reply;
    reply.type = "application/x-quadrune-replay";
    reply.body = std::move(*file);
    reply.headers.push_back({"Content-Disposition", "attachment; filename=\"quadrune-" + std::to_string(id) + ".qrp\""});
    return reply;
}
