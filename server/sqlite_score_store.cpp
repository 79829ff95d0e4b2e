#include "sqlite_score_store.h"

#include <sqlite3.h>

#include <stdexcept>

#include "base/game_modes.h"

namespace {

// WAL with synchronous=FULL: a commit has reached the disk when it returns.
const char* const kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=FULL;"
    "CREATE TABLE IF NOT EXISTS scores ("
    " id INTEGER PRIMARY KEY, mode INTEGER NOT NULL, image BLOB NOT NULL,"
    " name TEXT NOT NULL, blocks INTEGER NOT NULL, score INTEGER NOT NULL, time_ms INTEGER NOT NULL,"
    " received TEXT NOT NULL DEFAULT (datetime('now')),"
    " UNIQUE (mode, image));";

const char* orderFor(int mode) {
    const ModeFacts* facts = modeFacts(mode);
    if (facts && facts->ranking == Ranking::ScorePerSecond) return "CAST(score AS REAL) / time_ms DESC";
    if (facts && facts->ranking == Ranking::Duration) return "time_ms DESC";
    return "score DESC";
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

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

}  // namespace

SqliteScoreStore::SqliteScoreStore(const std::string& path)
    : writer_(openDatabase(path, kSchema)) {
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
    Pending pending{&upload};
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
    Statement insert(writer_,
                     "INSERT INTO scores (mode, image, name, blocks, score, time_ms) VALUES (?,?,?,?,?,?)"
                     " ON CONFLICT (mode, image) DO NOTHING");
    if (!insert.stmt || !exec(writer_, "BEGIN IMMEDIATE")) return false;
    for (Pending* pending : batch) {
        const Upload& row = *pending->upload;
        sqlite3_reset(insert.stmt);
        sqlite3_bind_int(insert.stmt, 1, row.mode);
        sqlite3_bind_blob(insert.stmt, 2, row.image.data(), int(row.image.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert.stmt, 3, row.name.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_int(insert.stmt, 4, row.blocks);
        sqlite3_bind_int64(insert.stmt, 5, row.score);
        sqlite3_bind_int64(insert.stmt, 6, row.timeMs);
        if (sqlite3_step(insert.stmt) != SQLITE_DONE) return false;
        pending->result = sqlite3_changes(writer_) ? StoreResult::Stored : StoreResult::AlreadyStored;
    }
    return true;
}

std::optional<std::vector<LeaderRow>> SqliteScoreStore::top(int mode, int count) {
    std::lock_guard<std::mutex> lock(readMutex_);
    Statement query(reader_, std::string("SELECT name, blocks, score, time_ms FROM scores WHERE mode = ?"
                                         " ORDER BY ") + orderFor(mode) + ", id LIMIT ?");
    std::vector<LeaderRow> rows;
    if (!query.stmt) return std::nullopt;
    sqlite3_bind_int(query.stmt, 1, mode);
    sqlite3_bind_int(query.stmt, 2, count);
    int step;
    while ((step = sqlite3_step(query.stmt)) == SQLITE_ROW) {
        LeaderRow row;
        row.name = reinterpret_cast<const char*>(sqlite3_column_text(query.stmt, 0));
        row.blocks = sqlite3_column_int(query.stmt, 1);
        row.score = uint32_t(sqlite3_column_int64(query.stmt, 2));
        row.timeMs = uint32_t(sqlite3_column_int64(query.stmt, 3));
        rows.push_back(row);
    }
    if (step != SQLITE_DONE) return std::nullopt;
    return rows;
}
