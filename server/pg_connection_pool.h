#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct pg_conn;

// A fixed number of connections to one PostgreSQL database, each lent to one
// thread at a time. Connections are opened when first needed and opened again
// after the database went away, so the server outlives a database restart.
class PgConnectionPool {
public:
    PgConnectionPool(const std::string& uri, int size);
    ~PgConnectionPool();
    PgConnectionPool(const PgConnectionPool&) = delete;
    PgConnectionPool& operator=(const PgConnectionPool&) = delete;

    // Runs `use` on a live connection. When the connection breaks under it,
    // runs it once more on a new one: every statement given here may be
    // repeated. False when `use` fails or the database cannot be reached.
    bool run(const std::function<bool(pg_conn*)>& use);
    // Why the last connection attempt failed, for start-up messages.
    std::string lastError();

private:
    bool borrow(pg_conn*& conn);
    void giveBack(pg_conn* conn);
    bool connected(pg_conn*& conn);

    std::string uri_;
    std::mutex mutex_;
    std::condition_variable returned_;
    std::vector<pg_conn*> idle_;  // null: not connected yet
    std::string lastError_;
};
