#include "postgres_score_store.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "postgres_schema.h"
#include "rules/game_modes.h"

namespace {

const char* orderFor(int mode) {
    const ModeFacts* facts = modeFacts(mode);
    if (facts && facts->ranking == Ranking::ScorePerSecond) return "score::float8 / time_ms DESC";
    if (facts && facts->ranking == Ranking::Duration) return "time_ms DESC";
    return "score DESC";
}

// Owns a result for the length of a scope.
struct Result {
    PGresult* result;
    ~Result() { PQclear(result); }
    bool is(ExecStatusType status) const { return PQresultStatus(result) == status; }
    const char* at(int row, int column) const { return PQgetvalue(result, row, column); }
};

}  // namespace

PostgresScoreStore::PostgresScoreStore(const std::string& uri, int connections) : pool_(uri, connections) {
    std::string error;
    bool reached = false;
    pool_.run([&](PGconn* conn) {
        reached = true;
        error = migratePostgres(conn);
        return error.empty();
    });
    if (!reached) throw std::runtime_error("cannot reach the database: " + pool_.lastError());
    if (!error.empty()) throw std::runtime_error("cannot set up the database: " + error);
}

StoreResult PostgresScoreStore::add(const Upload& upload) {
    return insert("INSERT INTO scores (mode, image, name, blocks, score, time_ms)"
                  " VALUES ($1, $2, $3, $4, $5, $6) ON CONFLICT (mode, image) DO NOTHING",
                  upload, nullptr);
}

// One statement, so the row, its mark, its replay and its place on its
// day's board commit together. A name's game replaces its best of the day
// when it lasted longer, or as long and came first.
StoreResult PostgresScoreStore::addVerified(const Upload& upload, const std::string& replay) {
    return insert("WITH row AS (INSERT INTO scores (mode, image, name, blocks, score, time_ms, verified)"
                  " VALUES ($1, $2, $3, $4, $5, $6, true)"
                  " ON CONFLICT (mode, image) DO UPDATE SET verified = true RETURNING id, name, time_ms),"
                  " kept AS (INSERT INTO replays (score_id, file) SELECT id, $7 FROM row"
                  " ON CONFLICT (score_id) DO NOTHING RETURNING score_id),"
                  " best AS (INSERT INTO daily_best (day, name, time_ms, score_id)"
                  " SELECT $8::integer, name, time_ms, id FROM row WHERE $8::integer >= 0"
                  " ON CONFLICT (day, name) DO UPDATE SET time_ms = excluded.time_ms, score_id = excluded.score_id"
                  " WHERE excluded.time_ms > daily_best.time_ms"
                  " OR (excluded.time_ms = daily_best.time_ms AND excluded.score_id < daily_best.score_id))"
                  " SELECT count(*) FROM kept",
                  upload, &replay);
}

StoreResult PostgresScoreStore::insert(const char* sql, const Upload& upload, const std::string* replay) {
    const std::string numbers[] = {std::to_string(upload.mode), std::to_string(upload.blocks),
                                   std::to_string(upload.score), std::to_string(upload.timeMs),
                                   std::to_string(upload.dailyDay)};
    const char* values[] = {numbers[0].c_str(), upload.image.data(), upload.name.c_str(), numbers[1].c_str(),
                            numbers[2].c_str(), numbers[3].c_str(), replay ? replay->data() : nullptr,
                            numbers[4].c_str()};
    const int lengths[] = {0, int(upload.image.size()), 0, 0, 0, 0, replay ? int(replay->size()) : 0, 0};
    const int binary[] = {0, 1, 0, 0, 0, 0, 1, 0};
    bool stored = false;
    bool ok = pool_.run([&](PGconn* conn) {
        Result insert{PQexecParams(conn, sql, replay ? 8 : 6, nullptr, values, lengths, binary, 0)};
        // A replay's statement counts the replays it kept; a row's says how many rows it added.
        if (replay) {
            stored = insert.is(PGRES_TUPLES_OK) && std::strcmp(insert.at(0, 0), "1") == 0;
            return insert.is(PGRES_TUPLES_OK);
        }
        stored = std::strcmp(PQcmdTuples(insert.result), "1") == 0;
        return insert.is(PGRES_COMMAND_OK);
    });
    if (!ok) return StoreResult::Unavailable;
    return stored ? StoreResult::Stored : StoreResult::AlreadyStored;
}

std::optional<std::vector<LeaderRow>> PostgresScoreStore::top(int mode, int count, bool verifiedOnly) {
    const std::string sql = std::string("SELECT name, blocks, score, time_ms, id, verified FROM scores WHERE mode = $1") +
                            (verifiedOnly ? " AND verified" : "") + " ORDER BY " + orderFor(mode) + ", id LIMIT $2";
    return rows(sql.c_str(), mode, count);
}

std::optional<std::vector<LeaderRow>> PostgresScoreStore::daily(int64_t day, int count) {
    return rows("SELECT s.name, s.blocks, s.score, s.time_ms, s.id, s.verified FROM daily_best b"
                " JOIN scores s ON s.id = b.score_id WHERE b.day = $1 ORDER BY b.time_ms DESC, b.score_id LIMIT $2",
                day, count);
}

std::optional<std::vector<LeaderRow>> PostgresScoreStore::rows(const char* sql, int64_t first, int count) {
    const std::string numbers[] = {std::to_string(first), std::to_string(count)};
    const char* values[] = {numbers[0].c_str(), numbers[1].c_str()};
    std::vector<LeaderRow> found;
    bool ok = pool_.run([&](PGconn* conn) {
        Result query{PQexecParams(conn, sql, 2, nullptr, values, nullptr, nullptr, 0)};
        found.clear();
        for (int i = 0; query.is(PGRES_TUPLES_OK) && i < PQntuples(query.result); ++i)
            found.push_back({query.at(i, 0), std::atoi(query.at(i, 1)), uint32_t(std::strtoul(query.at(i, 2), nullptr, 10)),
                            uint32_t(std::strtoul(query.at(i, 3), nullptr, 10)), std::atoll(query.at(i, 4)),
                            query.at(i, 5)[0] == 't'});
        return query.is(PGRES_TUPLES_OK);
    });
    if (!ok) return std::nullopt;
    return found;
}

StoredReplay PostgresScoreStore::replay(int64_t id) {
    const std::string number = std::to_string(id);
    const char* values[] = {number.c_str()};
    std::string file;
    bool ok = pool_.run([&](PGconn* conn) {
        Result query{PQexecParams(conn, "SELECT file FROM replays WHERE score_id = $1", 1, nullptr, values, nullptr,
                                  nullptr, 1)};
        file.clear();
        if (query.is(PGRES_TUPLES_OK) && PQntuples(query.result) == 1)
            file.assign(query.at(0, 0), std::size_t(PQgetlength(query.result, 0, 0)));
        return query.is(PGRES_TUPLES_OK);
    });
    if (!ok) return std::nullopt;
    return file;
}
