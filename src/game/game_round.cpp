#include "game/game_round.h"

#include "base/game_state.h"
#include "base/platform.h"
#include "game/board_model.h"
#include "game/board_rules.h"

void beginGame(GameState& state, unsigned seed) {
    state.pendingDrops = 6;
    state.blocksDestroyed = 0;
    state.paused = 0;
    state.elapsedMs = 0;
    state.lastTick = 0;
    state.timeLeftMs = 50000;
    state.board.flash = 1.0f;
    state.timeUp = false;
    state.keyLatch = 0;
    state.score = 0;
    for (int32_t& count : state.removedByKind) count = 0;
    seedRand(seed);
    scatterBlocks(state.board);
}

void advanceBoard(GameState& state) {
    if (state.paused == 1) return;
    updateBoard(state.board);
    resolveRuns(state.board);
}
