#include "rules/game_round.h"

#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/board_model.h"
#include "rules/board_rules.h"

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
