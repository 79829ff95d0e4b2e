#include "pg_connection_pool.h"

#include <libpq-fe.h>

#include <chrono>

namespace {

// A request waits this long for a connection before it is told to try again.
constexpr auto kBorrowWait = std::chrono::seconds(5);

// Defaults that the URI may override: a database that does not answer must
// not hold a request thread for long, and notices are not worth a log line.
PGconn* connect(const std::string& uri) {
    const char* keys[] = {"connect_timeout", "tcp_user_timeout", "application_name", "options", "dbname", nullptr};
    const char* values[] = {"5", "10000", "quadrune-score-server", "-c client_min_messages=warning", uri.c_str(),
                            nullptr};
    PGconn* conn = PQconnectdbParams(keys, values, 1);
    // What is acknowledged must survive a crash of the database, whatever its default.
    if (PQstatus(conn) == CONNECTION_OK)
        PQclear(PQexec(conn, "SELECT set_config('synchronous_commit', 'on', false)"
                             " WHERE current_setting('synchronous_commit') = 'off'"));
    return conn;
}

}  // namespace

PgConnectionPool::PgConnectionPool(const std::string& uri, int size) : uri_(uri), idle_(std::size_t(size), nullptr) {}

PgConnectionPool::~PgConnectionPool() {
    for (PGconn* conn : idle_) PQfinish(conn);
}

bool PgConnectionPool::run(const std::function<bool(PGconn*)>& use) {
    PGconn* conn = nullptr;
    if (!borrow(conn)) return false;
    bool ok = false;
    for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
        if (!connected(conn)) break;
        ok = use(conn);
        if (PQstatus(conn) == CONNECTION_OK) break;  // a refusal, not a lost connection
    }
    giveBack(conn);
    return ok;
}

std::string PgConnectionPool::lastError() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}

bool PgConnectionPool::borrow(PGconn*& conn) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!returned_.wait_for(lock, kBorrowWait, [this] { return !idle_.empty(); })) return false;
    conn = idle_.back();
    idle_.pop_back();
    return true;
}

// Broken and unopened connections go back too: the next borrower opens them.
void PgConnectionPool::giveBack(PGconn* conn) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        idle_.push_back(conn);
    }
    returned_.notify_one();
}

bool PgConnectionPool::connected(PGconn*& conn) {
    if (conn && PQstatus(conn) == CONNECTION_OK) return true;
    PQfinish(conn);
    conn = connect(uri_);
    if (PQstatus(conn) == CONNECTION_OK) return true;
    std::lock_guard<std::mutex> lock(mutex_);
    lastError_ = PQerrorMessage(conn);
    return false;
}
