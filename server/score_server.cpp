#include "score_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "connection_limits.h"
#include "leaderboard_page.h"
#include "rate_limiter.h"

namespace {

// Set on the threads that only tell connections over the cap that the server is busy.
thread_local bool tOverCap = false;
const char* const kUnreadable = "scores cannot be read now, try again";
constexpr int kBusyThreads = 2;

// Waiting connections beyond `queued` go to the busy lane; when that is full too,
// accepting stops until there is room, and the kernel's backlog holds the rest.
class CappedQueue : public httplib::TaskQueue {
public:
    CappedQueue(int threads, int queued) : cap_(std::size_t(queued)) {
        for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(serve_, false); });
        for (int i = 0; i < kBusyThreads; ++i) threads_.emplace_back([this] { work(busy_, true); });
    }
    void enqueue(std::function<void()> job) override {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return stopping_ || serve_.jobs.size() < cap_ || busy_.jobs.size() < cap_; });
        Lane& lane = serve_.jobs.size() < cap_ ? serve_ : busy_;
        lane.jobs.push_back(std::move(job));
        lane.ready.notify_one();
    }
    void shutdown() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        serve_.ready.notify_all();
        busy_.ready.notify_all();
        room_.notify_all();
        for (auto& thread : threads_) thread.join();
    }

private:
    struct Lane {
        std::deque<std::function<void()>> jobs;
        std::condition_variable ready;
    };
    // Runs what is queued even when stopping: each job closes its connection.
    void work(Lane& lane, bool overCap) {
        tOverCap = overCap;
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                lane.ready.wait(lock, [&] { return stopping_ || !lane.jobs.empty(); });
                if (lane.jobs.empty()) return;
                job = std::move(lane.jobs.front());
                lane.jobs.pop_front();
                room_.notify_one();
            }
            job();
        }
    }

    std::size_t cap_;
    std::mutex mutex_;
    std::condition_variable room_;
    Lane serve_;
    Lane busy_;
    std::vector<std::thread> threads_;
    bool stopping_ = false;
};

// httplib's own connection loop bounds each read, not the whole request; this
// one bounds the whole exchange and how many connections an address holds.
class BoundedServer : public httplib::Server {
public:
    explicit BoundedServer(const ServerSettings& settings) : settings_(settings), slots_(settings.perAddress) {}
    // The library listens with a backlog of 5: a burst of connections beyond
    // that loses SYNs, and the game's connect would wait a second per retry.
    void widenBacklog() { ::listen(svr_sock_, 1024); }

private:
    bool process_and_close_socket(socket_t sock) override {
        std::string ip;
        int port = 0;
        bool served = false;
        if (peerOf(sock, ip, port) && slots_.take(ip)) {
            served = serve(sock, ip, port);
            slots_.give(ip);
        } else {
            refuseUnread(sock);
        }
        shutdown(sock, SHUT_RDWR);
        close(sock);
        return served;
    }

    // One request: it must begin within speakSeconds, and it and its answer
    // must pass within timeoutSeconds, however the bytes trickle.
    bool serve(socket_t sock, const std::string& ip, int port) {
        using Clock = BoundedStream::Clock;
        if (!readableBy(sock, Clock::now() + std::chrono::seconds(settings_.speakSeconds)) ||
            svr_sock_ == INVALID_SOCKET)
            return false;
        BoundedStream stream(sock, Clock::now() + std::chrono::seconds(settings_.timeoutSeconds), ip, port);
        bool closed = false;
        return process_request(stream, true, closed, nullptr);
    }

    // Never waits: an address over its share gets what fits in the socket buffer.
    static void refuseUnread(socket_t sock) {
        static const char kBusy[] =
            "HTTP/1.1 503 Service Unavailable\r\nConnection: close\r\nContent-Type: text/plain; charset=utf-8\r\n"
            "Content-Length: 23\r\n\r\nserver busy, try again\n";
        ssize_t sent = send(sock, kBusy, sizeof kBusy - 1, MSG_DONTWAIT | MSG_NOSIGNAL);
        (void)sent;
    }

    const ServerSettings& settings_;
    AddressSlots slots_;
};

void plain(httplib::Response& res, int status, const std::string& line) {
    res.status = status;
    res.set_content(line + "\n", "text/plain; charset=utf-8");
}

std::string queryOf(const httplib::Request& req) {
    auto mark = req.target.find('?');
    return mark == std::string::npos ? std::string() : req.target.substr(mark + 1);
}

}  // namespace

struct ScoreServer::Impl {
    using Outcome = httplib::Server::HandlerResponse;

    ScoreStore& store;
    ServerSettings settings;
    RateLimiter limiter;
    BoundedServer http;

    Impl(ScoreStore& s, const ServerSettings& set)
        : store(s), settings(set), limiter(set.submitsPerSecond, 2 * set.submitsPerSecond), http(settings) {}

    // Runs on the headers alone, before any body is read.
    Outcome screen(const httplib::Request& req, httplib::Response& res) {
        if (tOverCap) return plain(res, 503, "server busy, try again"), Outcome::Handled;
        if (req.has_header("Transfer-Encoding"))
            return plain(res, 411, "Content-Length required"), Outcome::Handled;
        if (req.get_header_value_count("Content-Length") > 1 ||
            req.get_header_value<uint64_t>("Content-Length") > kUploadCapBytes)
            return plain(res, 413, "body too large"), Outcome::Handled;
        if (req.method == "POST" && !limiter.allow(req.remote_addr))
            return plain(res, 429, "too many submissions, wait a little"), Outcome::Handled;
        return Outcome::Unhandled;
    }

    void upload(const httplib::Request& req, httplib::Response& res) {
        UploadVerdict verdict = checkUpload(req.path, queryOf(req), req.body);
        if (verdict.status != 200) return plain(res, verdict.status, verdict.reason);
        if (store.add(verdict.upload) == StoreResult::Unavailable)
            return plain(res, 503, "scores cannot be stored now, try again");
        res.set_content("dataok", "text/plain");
    }

    // None when the database cannot be read now.
    std::optional<std::vector<ModeBoard>> boards() {
        std::vector<ModeBoard> all;
        for (int mode = 1; mode <= 4; ++mode) {
            auto rows = store.top(mode, settings.leaderRows);
            if (!rows) return std::nullopt;
            all.push_back({mode, std::move(*rows)});
        }
        return all;
    }

    void routes() {
        http.new_task_queue = [this] { return new CappedQueue(settings.threads, settings.queued); };
        // Reuse the address so a restart binds while old connections linger in
        // TIME_WAIT, but not the port: a second live server must fail to start.
        http.set_socket_options([this](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
            // A connection that sends nothing waits in the kernel, not on a thread.
            setsockopt(sock, IPPROTO_TCP, TCP_DEFER_ACCEPT, &settings.speakSeconds, sizeof settings.speakSeconds);
        });
        // One request a connection (BoundedServer): an idle keep-alive would hold
        // a thread, and closing is the only way to drop a refused body unread.
        http.set_payload_max_length(kUploadCapBytes);
        http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            return screen(req, res);
        });
        http.Post("/.*", [this](const httplib::Request& req, httplib::Response& res) { upload(req, res); });
        http.Get("/", [this](const httplib::Request&, httplib::Response& res) {
            auto all = boards();
            if (!all) return plain(res, 503, kUnreadable);
            res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
            res.set_content(renderLeaderboardPage(*all), "text/html; charset=utf-8");
        });
        http.Get("/scores.json", [this](const httplib::Request& req, httplib::Response& res) {
            int mode = parseMode(req.get_param_value("mode"));
            if (mode == 0) return plain(res, 400, "query must be mode=1, 2, 3 or 4");
            auto rows = store.top(mode, settings.leaderRows);
            if (!rows) return plain(res, 503, kUnreadable);
            res.set_content(renderScoresJson({mode, std::move(*rows)}), "application/json");
        });
        http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
            if (!res.body.empty()) return;
            if (res.status == 404) return plain(res, 404, "unknown path");
            if (res.status == 413) return plain(res, 413, "body too large");
            plain(res, res.status, "request refused");
        });
    }
};

ScoreServer::ScoreServer(ScoreStore& store, const ServerSettings& settings)
    : impl_(std::make_unique<Impl>(store, settings)) {
    impl_->routes();
}

ScoreServer::~ScoreServer() = default;

int ScoreServer::bind() {
    const ServerSettings& s = impl_->settings;
    int port = s.port == 0 ? impl_->http.bind_to_any_port(s.address)
                           : impl_->http.bind_to_port(s.address, s.port) ? s.port : -1;
    if (port > 0) impl_->http.widenBacklog();
    return port;
}

void ScoreServer::run() { impl_->http.listen_after_bind(); }
void ScoreServer::stop() { impl_->http.stop(); }
