#pragma once
#include <string>

#include "pg_connection_pool.h"
#include "score_store.h"

// One PostgreSQL database, which several server processes may share: the
// database's unique key on (mode, image) keeps a retry once, whichever server
// it reaches. Each add is its own transaction, committed before it returns.
class PostgresScoreStore : public ScoreStore {
public:
    // Creates or migrates the schema; throws std::runtime_error when it cannot.
    PostgresScoreStore(const std::string& uri, int connections);
    StoreResult add(const Upload& upload) override;
    StoreResult addVerified(const Upload& upload, const std::string& replay) override;
    std::optional<std::vector<LeaderRow>> top(int mode, int count, bool verifiedOnly) override;
    StoredReplay replay(int64_t id) override;
    std::optional<std::vector<LeaderRow>> daily(int64_t day, int count) override;

private:
    StoreResult insert(const char* sql, const Upload& upload, const std::string* replay);
    // Rows of a query with two numbers, $1 and the count $2.
    std::optional<std::vector<LeaderRow>> rows(const char* sql, int64_t first, int count);
    PgConnectionPool pool_;
};
