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
    std::optional<std::vector<LeaderRow>> top(int mode, int count) override;

private:
    PgConnectionPool pool_;
};
