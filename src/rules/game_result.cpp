#include "rules/game_result.h"

#include <cstring>

#include "rules/game_state.h"

HighscoreEntry gameResultRow(const GameState& state) {
    HighscoreEntry row;
    std::memset(&row, 0, sizeof row);
    std::memcpy(row.name, state.config.playerName, sizeof row.name);
    std::memcpy(row.removedByKind, state.removedByKind, sizeof row.removedByKind);
    row.blocksDestroyed = state.blocksDestroyed;
    row.score = state.score;
    row.time = state.elapsedMs;
    return row;
}
