#pragma once
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
};

// Where accepted uploads are kept; one implementation per kind of database.
class ScoreStore {
public:
    virtual ~ScoreStore() = default;
    // Safe from many threads. Stored and AlreadyStored mean the row is on disk.
    virtual StoreResult add(const Upload& upload) = 0;
    // A mode's best rows: FREE PLAY by score per second, TIMEATTACK by time, the rest by score.
    // None when the database cannot be read now.
    virtual std::optional<std::vector<LeaderRow>> top(int mode, int count) = 0;
};
