#include "score_server.h"

#include <microhttpd.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "rules/replay_file.h"
#include "client_address.h"
#include "listen_socket.h"
#include "rate_limiter.h"
#include "work_pool.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::size_t kReplayBodiesBytes = 64u << 20;  // all replays being received or played, together
constexpr std::size_t kMemoryPerConnection = 16 * 1024;

// One request on one connection, from its first line to its answer.
struct Exchange {
    HttpRequest request;
    std::size_t cap = 0;            // the body's limit, from its path
    std::size_t reserved = 0;       // of the replay budget
    bool holdsShare = false;        // of its address's replay share
    std::optional<HttpReply> reply;  // set by a pool before the connection is resumed
    Clock::time_point start = Clock::now();
    int status = 0;
    std::size_t bytes = 0;
};

// How many replays each client address has on its way in or being played.
class AddressShares {
public:
    bool take(const std::string& address, int share) {
        std::lock_guard<std::mutex> lock(mutex_);
        int& held = held_[address];
        if (held >= share) return false;
        return ++held, true;
    }
    void give(const std::string& address) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (--held_[address] <= 0) held_.erase(address);
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string, int> held_;
};

std::string headerOf(MHD_Connection* connection, const char* name) {
    const char* value = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name);
    return value ? value : "";
}

// The rules core keeps one game a process: replays are played again one at
// a time, which also leaves the other cores to the uploads.
constexpr int kVerifiers = 1;
constexpr std::size_t kVerifierQueue = 1;
}  // namespace

struct ScoreServer::Impl {
    ScoreStore& store;
    ServerSettings settings;
    ServerMetrics metrics;
    ScoreRoutes routes;
    RateLimiter limiter;
    AddressShares replayShares;
    std::atomic<std::size_t> replayBytes{0};
    std::unique_ptr<WorkPool> database, verification;
    MHD_Daemon* daemon = nullptr;
    int listenSocket = -1;
    std::mutex stopMutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::mutex logMutex;

    Impl(ScoreStore& s, const ServerSettings& set)
        : store(s), settings(set), routes(s, set.routes, metrics),
          limiter(set.submitsPerSecond, 2 * set.submitsPerSecond) {}

    // Refusals decided from the request line and headers, before any body is read.
    std::optional<HttpReply> screen(MHD_Connection* connection, Exchange& ex) {
        HttpRequest& r = ex.request;
        if (MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Transfer-Encoding"))
            return plainReply(411, "Content-Length required");
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length");
        unsigned long long declared = length ? std::strtoull(length, nullptr, 10) : 0;
        bool isReplay = r.method == "POST" && r.path == "/replay.php";
        ex.cap = isReplay ? kReplayMaxBytes : 1024;
        if (declared > ex.cap) return plainReply(413, "body too large");
        if (r.method == "POST" && !limiter.allow(r.address)) return plainReply(429, "too many submissions, wait a little");
        if (isReplay) return takeReplayRoom(ex, std::size_t(declared));
        return std::nullopt;
    }

    // A replay may come only while its address has no other on the way and
    // the replays in memory stay within their budget.
    std::optional<HttpReply> takeReplayRoom(Exchange& ex, std::size_t bytes) {
        if (!replayShares.take(ex.request.address, 1)) return busy("replay");
        ex.holdsShare = true;
        std::size_t now = replayBytes.load();
        do {
            if (now + bytes > kReplayBodiesBytes) return busy("replay");
        } while (!replayBytes.compare_exchange_weak(now, now + bytes));
        ex.reserved = bytes;
        return std::nullopt;
    }

    HttpReply busy(const char* what) {
        metrics.busy(what);
        return plainReply(503, "server busy, try again");
    }

    // The work runs on a pool while the connection waits, suspended.
    MHD_Result dispatch(MHD_Connection* connection, Exchange& ex) {
        ScoreRoutes::Work work = ScoreRoutes::workFor(ex.request);
        if (work == ScoreRoutes::Work::Now) return respond(connection, ex, routes.answer(ex.request));
        WorkPool& pool = work == ScoreRoutes::Work::Verification ? *verification : *database;
        MHD_suspend_connection(connection);
        bool posted = pool.post([this, connection, &ex] {
            ex.reply = routes.answer(ex.request);
            MHD_resume_connection(connection);
        });
        if (!posted) {
            ex.reply = busy(work == ScoreRoutes::Work::Verification ? "replay" : "request");
            MHD_resume_connection(connection);
        }
        return MHD_YES;
    }

    // A file goes from the disk to the socket, never whole into memory.
    static MHD_Response* responseFor(const HttpReply& reply) {
        if (!reply.file)
            return MHD_create_response_from_buffer(reply.body.size(), const_cast<char*>(reply.body.data()),
                                                   MHD_RESPMEM_MUST_COPY);
        MHD_Response* response = MHD_create_response_from_fd64(reply.file->size, reply.file->fd);
        if (response) reply.file->fd = -1;  // the response's now, closed with it
        return response;
    }

    MHD_Result respond(MHD_Connection* connection, Exchange& ex, const HttpReply& reply) {
        MHD_Response* response = responseFor(reply);
        if (!response) return MHD_NO;
        if (!reply.type.empty()) MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.type.c_str());
        // One request a connection, as the game's client expects.
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
        for (const auto& [name, value] : reply.headers) MHD_add_response_header(response, name.c_str(), value.c_str());
        ex.status = reply.status;
        ex.bytes = reply.file ? reply.file->size : reply.body.size();
        MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
        MHD_destroy_response(response);
        return queued;
    }

    MHD_Result handle(MHD_Connection* connection, const char* method, const char* upload, std::size_t* uploadSize,
                      Exchange& ex, bool first) {
        if (first) {
            ex.request.method = method;
            ex.request.address = addressText(MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS)->client_addr);
            ex.request.mayReadMetrics = isLoopback(ex.request.address) || inNetwork(ex.request.address, settings.metricsFrom);
            ex.request.acceptEncoding = headerOf(connection, MHD_HTTP_HEADER_ACCEPT_ENCODING);
            ex.request.ifNoneMatch = headerOf(connection, MHD_HTTP_HEADER_IF_NONE_MATCH);
            if (auto refusal = screen(connection, ex)) return respond(connection, ex, *refusal);
            return MHD_YES;
        }
        if (*uploadSize) {
            if (ex.request.body.size() + *uploadSize > ex.cap) {
                *uploadSize = 0;  // dropped: the connection closes after the answer
                return respond(connection, ex, plainReply(413, "body too large"));
            }
            ex.request.body.append(upload, *uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
        if (ex.reply) return respond(connection, ex, *ex.reply);
        return dispatch(connection, ex);
    }

    // The request's line for journald, then what it held is given back.
    void finish(Exchange* ex) {
        if (!ex) return;
        if (ex->holdsShare) replayShares.give(ex->request.address);
        replayBytes -= ex->reserved;
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - ex->start).count();
        {
            std::lock_guard<std::mutex> lock(logMutex);
            std::printf("%s %s %s %d %zu %.1f\n", ex->request.address.c_str(), ex->request.method.c_str(),
                        ex->request.path.c_str(), ex->status, ex->bytes, ms);
        }
        delete ex;
    }
};

namespace {
// The first line's target, with its query, before MHD takes it apart.
void* beginExchange(void*, const char* uri, MHD_Connection*) {
    auto* ex = new Exchange;
    std::string target = uri ? uri : "";
    std::size_t mark = target.find('?');
    ex->request.path = target.substr(0, mark);
    if (mark != std::string::npos) ex->request.query = target.substr(mark + 1);
    return ex;
}

MHD_Result onRequest(void* cls, MHD_Connection* connection, const char*, const char* method, const char*,
                     const char* upload, std::size_t* uploadSize, void** context) {
    auto* ex = static_cast<Exchange*>(*context);
    if (!ex) return MHD_NO;
    bool first = ex->request.method.empty();
    return static_cast<ScoreServer::Impl*>(cls)->handle(connection, method, upload, uploadSize, *ex, first);
}

void onCompleted(void* cls, MHD_Connection*, void** context, MHD_RequestTerminationCode) {
    static_cast<ScoreServer::Impl*>(cls)->finish(static_cast<Exchange*>(*context));
    *context = nullptr;
}
}  // namespace

ScoreServer::ScoreServer(ScoreStore& store, const ServerSettings& settings)
    : impl_(std::make_unique<Impl>(store, settings)) {}

ScoreServer::~ScoreServer() {
    stop();
    if (impl_->listenSocket >= 0) close(impl_->listenSocket);
}

int ScoreServer::bind() {
    int port = -1;
    impl_->listenSocket = openListenSocket(impl_->settings.address, impl_->settings.port, port);
    return impl_->listenSocket < 0 ? -1 : port;
}

void ScoreServer::run() {
    Impl& impl = *impl_;
    const ServerSettings& s = impl.settings;
    impl.database = std::make_unique<WorkPool>(s.databaseThreads, 4096);
    impl.verification = std::make_unique<WorkPool>(kVerifiers, kVerifierQueue);
    impl.daemon = MHD_start_daemon(
        MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME, 0, nullptr, nullptr, onRequest, &impl,
        MHD_OPTION_LISTEN_SOCKET, impl.listenSocket, MHD_OPTION_THREAD_POOL_SIZE, unsigned(s.socketThreads),
        MHD_OPTION_CONNECTION_LIMIT, unsigned(s.connections), MHD_OPTION_PER_IP_CONNECTION_LIMIT, unsigned(s.perAddress),
        MHD_OPTION_CONNECTION_TIMEOUT, unsigned(s.timeoutSeconds), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        kMemoryPerConnection, MHD_OPTION_URI_LOG_CALLBACK, beginExchange, &impl, MHD_OPTION_NOTIFY_COMPLETED,
        onCompleted, &impl, MHD_OPTION_END);
    if (!impl.daemon) return;
    impl.listenSocket = -1;  // the daemon's now
    {
        std::unique_lock<std::mutex> lock(impl.stopMutex);
        impl.stopped.wait(lock, [&] { return impl.stopping; });
    }
    // The pools finish what they hold and resume its connections first.
    MHD_quiesce_daemon(impl.daemon);
    impl.verification.reset();
    impl.database.reset();
    MHD_stop_daemon(impl.daemon);
    impl.daemon = nullptr;
}

void ScoreServer::stop() {
    {
        std::lock_guard<std::mutex> lock(impl_->stopMutex);
        impl_->stopping = true;
    }
    impl_->stopped.notify_all();
}
