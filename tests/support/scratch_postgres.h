#pragma once
#include <string>

// A PostgreSQL cluster of the test's own in `dir` under the working
// directory, on a free loopback port, made by tools/scratch_postgres.sh and
// stopped when dropped. Throws std::runtime_error, with the reason, when
// PostgreSQL is missing or does not start: such tests fail, they never skip.
class ScratchPostgres {
public:
    explicit ScratchPostgres(const std::string& dir = "pg");
    ~ScratchPostgres();
    ScratchPostgres(const ScratchPostgres&) = delete;
    ScratchPostgres& operator=(const ScratchPostgres&) = delete;

    const std::string& uri() const { return uri_; }
    void start();  // again, on the same port
    void stop();   // at once, as a crash would
    // What psql prints for `sql`: a line a row, columns joined by '|'.
    std::string query(const std::string& sql) const;

private:
    std::string script(const std::string& command) const;
    std::string dir_;
    std::string uri_;
    bool running_ = false;
};
