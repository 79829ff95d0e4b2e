#include "sqlite_score_store.h"

#include <sqlite3.h>

#include <stdexcept>
#include <vector>

#include "rules/game_modes.h"

namespace {

// WAL with synchronous=FULL: a commit has reached the disk when it returns.
const char* const kSetup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;";

// Append only: step N takes a database at version N to version N + 1. A file
// from before the versions holds step 1's table and no version table.
const std::vector<const char*> kSteps = {
    "CREATE TABLE IF NOT EXISTS scores ("
    " id INTEGER PRIMARY KEY, mode INTEGER NOT NULL, image BLOB NOT NULL,"
    " name TEXT NOT NULL, blocks INTEGER NOT NULL, score INTEGER NOT NULL, time_ms INTEGER NOT NULL,"
    " received TEXT NOT NULL DEFAULT (datetime('now')),"
    " UNIQUE (mode, image))",
    "ALTER TABLE scores ADD COLUMN verified INTEGER NOT NULL DEFAULT 0;"
    "CREATE TABLE replays (score_id INTEGER PRIMARY KEY REFERENCES scores (id), file BLOB NOT NULL,"
    " received TEXT NOT NULL DEFAULT (datetime('now')))",
    // Each name's best game of a day's deal, so that a board reads only its own rows.
    "CREATE TABLE daily_best (day INTEGER NOT NULL, name TEXT NOT NULL, time_ms INTEGER NOT NULL,"
    " score_id INTEGER NOT NULL REFERENCES scores (id), PRIMARY KEY (day, name));"
    "CREATE INDEX daily_best_rank ON daily_best (day, time_ms DESC, score_id)",
};

const char* const kInsert =
    "INSERT INTO scores (mode, image, name, blocks, score, time_ms) VALUES (?,?,?,?,?,?)"
    " ON CONFLICT (mode, image) DO NOTHING";
const char* const kMarkVerified = "UPDATE scores SET verified = 1 WHERE mode = ? AND image = ?";
const char* const kKeepReplay =
    "INSERT INTO replays (score_id, file) SELECT id, ? FROM scores WHERE mode = ? AND image = ?"
    " ON CONFLICT (score_id) DO NOTHING";

// A name's game replaces its best of the day when it lasted longer, or as long and came first.
const char* const kKeepDailyBest =
    "INSERT INTO daily_best (day, name, time_ms, score_id) SELECT ?, name, time_ms, id FROM scores"
    " WHERE mode = ? AND image = ?"
    " ON CONFLICT (day, name) DO UPDATE SET time_ms = excluded.time_ms, score_id = excluded.score_id"
    " WHERE excluded.time_ms > daily_best.time_ms"
    " OR (excluded.time_ms = daily_best.time_ms AND excluded.score_id < daily_best.score_id)";
const char* const kDailyBoard =
    "SELECT s.name, s.blocks, s.score, s.time_ms, s.id, s.verified FROM daily_best b JOIN scores s ON s.id = b.score_id"
    " WHERE b.day = ? ORDER BY b.time_ms DESC, b.score_id LIMIT ?";

const char* orderFor(int mode) {
    const ModeFacts* facts = modeFacts(mode);
    if (facts && facts->ranking == Ranking::ScorePerSecond) return "CAST(score AS REAL) / time_ms DESC";
    if (facts && facts->ranking == Ranking::Duration) return "time_ms DESC";
    return "score DESC";
}

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

int64_t single(sqlite3* db, const char* sql) {
    sqlite3_stmt* stmt = nullptr;
    int64_t value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        value = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}

// Brings the file to the newest schema in one transaction.
std::string migrate(sqlite3* db) {
    if (!exec(db, "BEGIN IMMEDIATE")) return sqlite3_errmsg(db);
    exec(db, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    int64_t version = single(db, "SELECT coalesce(max(version), 0) FROM schema_version");
    bool ok = version >= 0;
    if (ok && version > int64_t(kSteps.size())) {
        exec(db, "ROLLBACK");
        return "the file's schema version " + std::to_string(version) + " is newer than this server's " +
               std::to_string(kSteps.size());
    }
    for (size_t step = size_t(version); ok && step < kSteps.size(); ++step) ok = exec(db, kSteps[step]);
    std::string record = "DELETE FROM schema_version; INSERT INTO schema_version VALUES (" +
                         std::to_string(kSteps.size()) + ")";
    if (ok) ok = exec(db, record.c_str()) && exec(db, "COMMIT");
    std::string error = ok ? "" : sqlite3_errmsg(db);
    if (!ok) exec(db, "ROLLBACK");
    return error;
}

sqlite3* openDatabase(const std::string& path, const char* setup) {
    sqlite3* db = nullptr;
    char* error = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK ||
        sqlite3_busy_timeout(db, 2000) != SQLITE_OK ||
        sqlite3_exec(db, setup, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(db);
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error("cannot use " + path + ": " + message);
    }
    return db;
}

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const std::string& sql) { sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
};

void bindRow(sqlite3_stmt* stmt, int first, const Upload& row) {
    sqlite3_bind_int(stmt, first, row.mode);
    sqlite3_bind_blob(stmt, first + 1, row.image.data(), int(row.image.size()), SQLITE_STATIC);
}

std::optional<std::vector<LeaderRow>> readRows(sqlite3_stmt* stmt) {
    std::vector<LeaderRow> rows;
    int step;
    while ((step = sqlite3_step(stmt)) == SQLITE_ROW) {
        LeaderRow row;
        row.name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        row.blocks = sqlite3_column_int(stmt, 1);
        row.score = uint32_t(sqlite3_column_int64(stmt, 2));
        row.timeMs = uint32_t(sqlite3_column_int64(stmt, 3));
        row.id = sqlite3_column_int64(stmt, 4);
        row.verified = sqlite3_column_int(stmt, 5) != 0;
        rows.push_back(row);
    }
    if (step != SQLITE_DONE) return std::nullopt;
    return rows;
}

}  // namespace

SqliteScoreStore::SqliteScoreStore(const std::string& path)
    : writer_(openDatabase(path, kSetup)) {
    std::string error = migrate(writer_);
    if (!error.empty()) {
        sqlite3_close(writer_);
        throw std::runtime_error("cannot set up " + path + ": " + error);
    }
    try {
        reader_ = openDatabase(path, "PRAGMA query_only=ON;");
    } catch (...) {
        sqlite3_close(writer_);
        throw;
    }
    thread_ = std::thread([this] { writeLoop(); });
}

SqliteScoreStore::~SqliteScoreStore() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
    }
    queued_.notify_one();
    thread_.join();
    sqlite3_close(reader_);
    sqlite3_close(writer_);
}

StoreResult SqliteScoreStore::add(const Upload& upload) {
    Pending pending{&upload, nullptr};
    return queue(pending);
}

StoreResult SqliteScoreStore::addVerified(const Upload& upload, const std::string& replay) {
    Pending pending{&upload, &replay};
    return queue(pending);
}

StoreResult SqliteScoreStore::queue(Pending& pending) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    if (stopping_) return StoreResult::Unavailable;
    queue_.push_back(&pending);
    queued_.notify_one();
    committed_.wait(lock, [&] { return pending.done; });
    return pending.result;
}

void SqliteScoreStore::writeLoop() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        std::vector<Pending*> batch;
        batch.swap(queue_);
        lock.unlock();
        commit(batch);
        lock.lock();
        for (Pending* pending : batch) pending->done = true;
        committed_.notify_all();
    }
}

void SqliteScoreStore::commit(std::vector<Pending*>& batch) {
    if (insertBatch(batch) && exec(writer_, "COMMIT")) return;
    exec(writer_, "ROLLBACK");
    for (Pending* pending : batch) pending->result = StoreResult::Unavailable;
}

bool SqliteScoreStore::insertBatch(std::vector<Pending*>& batch) {
    if (!exec(writer_, "BEGIN IMMEDIATE")) return false;
    for (Pending* pending : batch)
        if (!insert(*pending)) return false;
    return true;
}

bool SqliteScoreStore::insert(Pending& pending) {
    const Upload& row = *pending.upload;
    Statement insert(writer_, kInsert);
    if (!insert.stmt) return false;
    bindRow(insert.stmt, 1, row);
    sqlite3_bind_text(insert.stmt, 3, row.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(insert.stmt, 4, row.blocks);
    sqlite3_bind_int64(insert.stmt, 5, row.score);
    sqlite3_bind_int64(insert.stmt, 6, row.timeMs);
    if (sqlite3_step(insert.stmt) != SQLITE_DONE) return false;
    bool added = sqlite3_changes(writer_) != 0;
    if (pending.replay) {
        Statement mark(writer_, kMarkVerified), keep(writer_, kKeepReplay);
        if (!mark.stmt || !keep.stmt) return false;
        bindRow(mark.stmt, 1, row);
        sqlite3_bind_blob(keep.stmt, 1, pending.replay->data(), int(pending.replay->size()), SQLITE_STATIC);
        bindRow(keep.stmt, 2, row);
        if (sqlite3_step(mark.stmt) != SQLITE_DONE || sqlite3_step(keep.stmt) != SQLITE_DONE) return false;
        added = sqlite3_changes(writer_) != 0;
        if (row.dailyDay >= 0 && !keepDailyBest(row)) return false;
    }
    pending.result = added ? StoreResult::Stored : StoreResult::AlreadyStored;
    return true;
}

bool SqliteScoreStore::keepDailyBest(const Upload& row) {
    Statement best(writer_, kKeepDailyBest);
    if (!best.stmt) return false;
    sqlite3_bind_int64(best.stmt, 1, row.dailyDay);
    bindRow(best.stmt, 2, row);
    return sqlite3_step(best.stmt) == SQLITE_DONE;
}

std::optional<std::vector<LeaderRow>> SqliteScoreStore::top(int mode, int count, bool verifiedOnly) {
    std::lock_guard<std::mutex> lock(readMutex_);
    Statement query(reader_, std::string("SELECT name, blocks, score, time_ms, id, verified FROM scores WHERE mode = ?") +
                                 (verifiedOnly ? " AND verified = 1" : "") + " ORDER BY " + orderFor(mode) + ", id LIMIT ?");
    if (!query.stmt) return std::nullopt;
    sqlite3_bind_int(query.stmt, 1, mode);
    sqlite3_bind_int(query.stmt, 2, count);
    return readRows(query.stmt);
}

std::optional<std::vector<LeaderRow>> SqliteScoreStore::daily(int64_t day, int count) {
    std::lock_guard<std::mutex> lock(readMutex_);
    Statement query(reader_, kDailyBoard);
    if (!query.stmt) return std::nullopt;
    sqlite3_bind_int64(query.stmt, 1, day);
    sqlite3_bind_int(query.stmt, 2, count);
    return readRows(query.stmt);
}

StoredReplay SqliteScoreStore::replay(int64_t id) {
    std::lock_guard<std::mutex> lock(readMutex_);
    Statement query(reader_, "SELECT file FROM replays WHERE score_id = ?");
    if (!query.stmt) return std::nullopt;
    sqlite3_bind_int64(query.stmt, 1, id);
    int step = sqlite3_step(query.stmt);
    if (step == SQLITE_DONE) return std::string();
    if (step != SQLITE_ROW) return std::nullopt;
    const char* file = static_cast<const char*>(sqlite3_column_blob(query.stmt, 0));
    return std::string(file, file + sqlite3_column_bytes(query.stmt, 0));
}
