#include "postgres_schema.h"

#include <libpq-fe.h>

#include <vector>

namespace {

// Append only: step N takes a database at version N to version N + 1.
const std::vector<const char*> kSteps = {
    "CREATE TABLE scores ("
    " id bigserial PRIMARY KEY, mode smallint NOT NULL, image bytea NOT NULL,"
    " name text NOT NULL, blocks integer NOT NULL, score bigint NOT NULL, time_ms bigint NOT NULL,"
    " received timestamptz NOT NULL DEFAULT now(),"
    " UNIQUE (mode, image))",
    "ALTER TABLE scores ADD COLUMN verified boolean NOT NULL DEFAULT false;"
    "CREATE TABLE replays (score_id bigint PRIMARY KEY REFERENCES scores (id), file bytea NOT NULL,"
    " received timestamptz NOT NULL DEFAULT now())",
    // Each name's best game of a day's deal, so that a board reads only its own rows.
    "CREATE TABLE daily_best (day integer NOT NULL, name text NOT NULL, time_ms bigint NOT NULL,"
    " score_id bigint NOT NULL REFERENCES scores (id), PRIMARY KEY (day, name));"
    "CREATE INDEX daily_best_rank ON daily_best (day, time_ms DESC, score_id)",
};

// Any number that no other user of the database locks on.
const char* const kLock = "SELECT pg_advisory_xact_lock(7351020616)";

std::string run(PGconn* conn, const char* sql, std::string* value = nullptr) {
    PGresult* result = PQexec(conn, sql);
    ExecStatusType status = PQresultStatus(result);
    std::string error = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK ? "" : PQerrorMessage(conn);
    if (value && error.empty() && PQntuples(result) == 1) *value = PQgetvalue(result, 0, 0);
    PQclear(result);
    return error;
}

std::string migrateLocked(PGconn* conn) {
    std::string version;
    std::string error = run(conn, kLock);
    if (error.empty()) error = run(conn, "CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)");
    if (error.empty()) error = run(conn, "SELECT coalesce(max(version), 0) FROM schema_version", &version);
    if (!error.empty()) return error;
    std::size_t from = std::stoul(version);
    if (from > kSteps.size())
        return "the database's schema version " + version + " is newer than this server's " +
               std::to_string(kSteps.size());
    for (std::size_t step = from; step < kSteps.size() && error.empty(); ++step) error = run(conn, kSteps[step]);
    if (error.empty() && from < kSteps.size()) {
        std::string record = "DELETE FROM schema_version; INSERT INTO schema_version VALUES (" +
                             std::to_string(kSteps.size()) + ")";
        error = run(conn, record.c_str());
    }
    return error;
}

}  // namespace

std::string migratePostgres(PGconn* conn) {
    std::string error = run(conn, "BEGIN");
    if (error.empty()) error = migrateLocked(conn);
    if (error.empty()) error = run(conn, "COMMIT");
    if (!error.empty()) run(conn, "ROLLBACK");
    return error;
}
