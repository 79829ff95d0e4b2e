// A day's board at a million rows, on SQLite and on PostgreSQL: the query
// behind /daily (each name's best game of the day, best first, 100 rows) and
// the entry of one more verified daily game. The million scores rows are all
// verified daily games, spread over `days` days, each of a name of its own:
// one day holds them all in the worst case.
// PostgreSQL is measured when QUADRUNE_BENCH_POSTGRES holds a database's URI
// (tools/scratch_postgres.sh start DIR prints one); its tables are emptied.
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "postgres_score_store.h"
#include "sqlite_score_store.h"

namespace {
constexpr int kRows = 1000000;
constexpr int kBoardRows = 100;
constexpr int64_t kFirstDay = 20526;

std::string fillSql(int days, bool postgres) {
    const std::string n = std::to_string(kRows), d = std::to_string(days), first = std::to_string(kFirstDay);
    if (postgres)
        return "TRUNCATE daily_best, replays, scores;"
               "INSERT INTO scores (id, mode, image, name, blocks, score, time_ms, verified)"
               " SELECT i, 2, convert_to(lpad(i::text, 120, '0'), 'UTF8'), 'P' || i, i % 40, (i * 7919) % 100000,"
               " (i * 104729) % 600000, true FROM generate_series(1::bigint, " + n + ") i;"
               "INSERT INTO daily_best SELECT " + first + " + id % " + d + ", name, time_ms, id FROM scores;"
               "SELECT setval(pg_get_serial_sequence('scores', 'id'), " + n + ");"
               "ANALYZE scores; ANALYZE daily_best;";
    return "BEGIN;"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + n + ")"
           " INSERT INTO scores (id, mode, image, name, blocks, score, time_ms, verified)"
           " SELECT i, 2, CAST(printf('%0120d', i) AS BLOB), 'P' || i, i % 40, (i * 7919) % 100000,"
           " (i * 104729) % 600000, 1 FROM n;"
           "INSERT INTO daily_best SELECT " + first + " + id % " + d + ", name, time_ms, id FROM scores;"
           "COMMIT; ANALYZE;";
}

int64_t sqliteCount(const std::string& file) {
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    int64_t count = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT count(*) FROM daily_best", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return count;
}

// A file a spread of days, filled once and kept for the next run.
std::unique_ptr<ScoreStore> sqliteStore(int days) {
    const std::string file = "daily_board_bench-" + std::to_string(days) + ".sqlite3";
    const bool filled = sqliteCount(file) >= kRows;
    if (!filled)
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((file + suffix).c_str());
    auto store = std::make_unique<SqliteScoreStore>(file);
    if (filled) return store;
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    if (sqlite3_exec(db, fillSql(days, false).c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "fill: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return store;
}

std::unique_ptr<ScoreStore> postgresStore(int days) {
    const char* uri = std::getenv("QUADRUNE_BENCH_POSTGRES");
    if (!uri) return nullptr;
    auto store = std::make_unique<PostgresScoreStore>(uri, 2);
    PGconn* conn = PQconnectdb(uri);
    PGresult* result = PQexec(conn, fillSql(days, true).c_str());
    if (PQresultStatus(result) != PGRES_COMMAND_OK) std::fprintf(stderr, "fill: %s\n", PQerrorMessage(conn));
    PQclear(result);
    PQfinish(conn);
    return store;
}

// The store of the last benchmark, kept while the next one asks for the same.
ScoreStore* storeFor(bool postgres, int days) {
    static std::unique_ptr<ScoreStore> store;
    static int keptDays = 0;
    static bool keptPostgres = false;
    if (!store || keptDays != days || keptPostgres != postgres) {
        store.reset();
        store = postgres ? postgresStore(days) : sqliteStore(days);
        keptDays = days, keptPostgres = postgres;
    }
    return store.get();
}

void board(benchmark::State& state, bool postgres) {
    const int days = int(state.range(0));
    ScoreStore* store = storeFor(postgres, days);
    if (!store) return state.SkipWithError("QUADRUNE_BENCH_POSTGRES is not set");
    size_t shown = 0;
    for (auto _ : state) {
        auto rows = store->daily(kFirstDay, kBoardRows);
        if (!rows) return state.SkipWithError("the board could not be read");
        shown = rows->size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows_of_the_day"] = double(kRows / days);
    state.counters["shown"] = double(shown);
}

// One more verified daily game, each a name's new best, committed to disk.
void entry(benchmark::State& state, bool postgres) {
    ScoreStore* store = storeFor(postgres, int(state.range(0)));
    if (!store) return state.SkipWithError("QUADRUNE_BENCH_POSTGRES is not set");
    const std::string replay(2000, 'r');
    static int n = 0;  // the runs before the measured one kept theirs
    static const long started = long(std::time(nullptr));  // and so did earlier runs on a kept file
    for (auto _ : state) {
        Upload upload;
        upload.mode = 2, upload.blocks = 12, upload.score = 270, upload.timeMs = 700000 + uint32_t(n);
        upload.name = "NEW" + std::to_string(n % 500);
        upload.image = "bench-entry-" + std::to_string(started) + "-" + std::to_string(n++);
        upload.image.resize(120, ' ');
        upload.dailyDay = kFirstDay;
        if (store->addVerified(upload, replay) != StoreResult::Stored) return state.SkipWithError("not stored");
    }
}
}  // namespace

// In this order each store is filled once.
BENCHMARK_CAPTURE(board, sqlite, false)->Arg(365)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(board, sqlite, false)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(entry, sqlite, false)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(board, postgres, true)->Arg(365)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(board, postgres, true)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(entry, postgres, true)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
