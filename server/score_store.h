#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "upload_check.h"

enum class StoreResult { Stored, AlreadyStored, Unavailable };

struct LeaderRow {
    std::string name;
    int32_t blocks = 0;
    uint32_t score = 0;
    uint32_t timeMs = 0;
    int64_t id = 0;          // the row's number, which names its replay
    bool verified = false;   // its replay was played again here and ended the same
};

// A replay kept for a row: none when the database cannot be read now; an
// empty file when the row has none.
using StoredReplay = std::optional<std::string>;

// Where accepted uploads are kept; one implementation per kind of database.
class ScoreStore {
public:
    virtual ~ScoreStore() = default;
    // Safe from many threads. Stored and AlreadyStored mean the row is on disk.
    virtual StoreResult add(const Upload& upload) = 0;
    // The row, marked verified, with the replay that proved it: one copy
    // however often it comes. Stored and AlreadyStored mean both are on disk.
    virtual StoreResult addVerified(const Upload& upload, const std::string& replay) = 0;
    // A mode's best rows: FREE PLAY by score per second, TIMEATTACK by time, the rest by score.
    // None when the database cannot be read now.
    virtual std::optional<std::vector<LeaderRow>> top(int mode, int count, bool verifiedOnly) = 0;
    virtual StoredReplay replay(int64_t id) = 0;
    // A day's board: each name's best verified game of that day's deal, ranked
    // as TIMEATTACK ranks. None when the database cannot be read now.
    virtual std::optional<std::vector<LeaderRow>> daily(int64_t day, int count) = 0;
};
