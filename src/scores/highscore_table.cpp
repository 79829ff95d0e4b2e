#include "scores/highscore_table.h"

#include <cstring>

#include "rules/file_util.h"
#include "rules/game_state.h"
#include "rules/seams.h"

const char* const kHighscoreFileName = "highscore.dat";

namespace {
constexpr int kDefaultNameTables = 3;  // only the first three tables carry names

void applyHighscoreDefaults(HighscoreStore& store) {
    store.initialisedMarker = 'Y';
    for (int r = 0; r < kHighscoreRows; ++r) {
        for (int t = 0; t < kDefaultNameTables; ++t) std::memcpy(store.tables[t].rows[r].name, "VELMO", 6);
        for (int t = 0; t < kHighscoreTables; ++t) {
            HighscoreEntry& row = store.tables[t].rows[r];
            row.blocksDestroyed = 123;
            row.score = 2000;
            row.reserved60 = 50;
            row.time = 45;
        }
        // The generator's order matters: kinds outside, tables inside.
        for (int j = 0; j < 10; ++j)
            for (int t = 0; t < kHighscoreTables; ++t) store.tables[t].rows[r].removedByKind[j] = gameRand() % 100 + 1;
    }
}

// Opens a gap at row r; the old bottom row is lost.
void shiftRowsDown(HighscoreTable& table, int r) {
    for (int j = kHighscoreRows - 1; j > r; --j) table.rows[j] = table.rows[j - 1];
}

void writeResult(HighscoreEntry& row, uint32_t time, double ratio) {
    std::memcpy(row.name, gameState.config.playerName, sizeof row.name);
    row.score = gameState.score;
    row.blocksDestroyed = gameState.blocksDestroyed;
    row.time = time;
    row.scorePerSecond = ratio;
}

int insertFreePlay(HighscoreTable& table) {
    uint32_t elapsed = gameState.elapsedMs;
    uint32_t seconds = elapsed / 1000;
    if (seconds < 100) return kNotEntered;
    double ratio = gameState.score / (elapsed / 1000.0);
    for (int r = 0; r < kHighscoreRows; ++r) {
        if (ratio >= table.rows[r].scorePerSecond) {
            shiftRowsDown(table, r);
            writeResult(table.rows[r], seconds, ratio);
            return r;
        }
    }
    return kNotEntered;
}

int insertTimeAttack(HighscoreTable& table) {
    uint32_t elapsed = gameState.elapsedMs;
    for (int r = 0; r < kHighscoreRows; ++r) {
        if (table.rows[r].time <= elapsed) {
            shiftRowsDown(table, r);
            writeResult(table.rows[r], elapsed, gameState.score / (elapsed / 1000.0));
            return r;
        }
    }
    return kNotEntered;
}
}  // namespace

void loadHighscores(HighscoreStore& store) {
    // Zero-filled, so a short file cannot leave a stale marker behind.
    static unsigned char buffer[sizeof(HighscoreStore)];
    std::memset(buffer, 0, sizeof buffer);
    if (readStoredFile(kHighscoreFileName, buffer, sizeof buffer) >= 0) std::memcpy(&store, buffer, sizeof buffer);
    if (store.initialisedMarker != 'Y') applyHighscoreDefaults(store);
}

void saveHighscores() { writeFileAtomically(kHighscoreFileName, &gameState.highscores, sizeof(HighscoreStore)); }

int insertHighscore(int mode) {
    const ModeFacts* facts = modeFacts(mode);
    if (!facts || facts->table < 0) return kNotEntered;
    HighscoreTable& table = gameState.highscores.tables[facts->table];
    return facts->ranking == Ranking::ScorePerSecond ? insertFreePlay(table) : insertTimeAttack(table);
}
