#pragma once
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "score_store.h"

struct sqlite3;

// One SQLite file. Adds from all threads are gathered by one writer into a
// transaction each, so one fsync makes a whole batch durable.
class SqliteScoreStore : public ScoreStore {
public:
    // Throws std::runtime_error when the file cannot be opened or prepared.
    explicit SqliteScoreStore(const std::string& path);
    ~SqliteScoreStore() override;
    StoreResult add(const Upload& upload) override;
    StoreResult addVerified(const Upload& upload, const std::string& replay) override;
    std::optional<std::vector<LeaderRow>> top(int mode, int count, bool verifiedOnly) override;
    StoredReplay replay(int64_t id) override;
    std::optional<std::vector<LeaderRow>> daily(int64_t day, int count) override;

private:
    struct Pending {
        const Upload* upload;
        const std::string* replay;  // null for a plain upload
        StoreResult result = StoreResult::Unavailable;
        bool done = false;
    };
    StoreResult queue(Pending& pending);
    bool insert(Pending& pending);
    void writeLoop();
    void commit(std::vector<Pending*>& batch);
    bool insertBatch(std::vector<Pending*>& batch);
    bool keepDailyBest(const Upload& row);

    sqlite3* writer_ = nullptr;
    sqlite3* reader_ = nullptr;
    std::mutex readMutex_;
    std::mutex queueMutex_;
    std::condition_variable queued_;
    std::condition_variable committed_;
    std::vector<Pending*> queue_;
    bool stopping_ = false;
    std::thread thread_;
};
