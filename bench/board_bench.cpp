// One frame of board rules (updateBoard, then resolveRuns), measured against
// the 50 ms frame the game runs at. "frame_share" is the part of one frame
// the rules take.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/board_rules.h"

namespace {
constexpr double kFrameSeconds = 0.050;

void prepareBoard() {
    gameState.boardColumns = 6;
    gameState.boardRows = 9;
    gameState.soundEnabled = 0;
    gameState.paused = 0;
    gameState.config.gameMode = TimeAttack;
    gameState.board.particles.clear();
}

// Every cell full with no run in it, a swap under way in every row and
// blocks owed while the top row is full: each cell is searched across and
// down every frame, and every swap advances.
void fillBusyBoard() {
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) {
            Cell& cell = gameState.board.cells[c][r];
            resetCell(cell);
            cell.empty = false;
            cell.kind = (c + 2 * r) % 5 + 1;
        }
    for (int r = 0; r < 9; ++r) startSwap(gameState.board, (r * 2) % 5, r);
    gameState.pendingDrops = 6;
}

void setFrameShare(benchmark::State& state) {
    state.counters["frame_share"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RulesFrameFullBusyBoard(benchmark::State& state) {
    prepareBoard();
    fillBusyBoard();
    Cell start[6][9];
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) start[c][r] = gameState.board.cells[c][r];
    for (auto _ : state) {
        // Back to the same busy board, so every frame does the same work.
        for (int c = 0; c < 6; ++c)
            for (int r = 0; r < 9; ++r) gameState.board.cells[c][r] = start[c][r];
        gameState.pendingDrops = 6;
        updateBoard(gameState.board);
        resolveRuns(gameState.board);
        benchmark::DoNotOptimize(gameState.board.cells[0][0]);
    }
    setFrameShare(state);
}
BENCHMARK(BM_RulesFrameFullBusyBoard);

// Frames of a game under way: blocks falling, dropping in, runs going off,
// the player swapping every few frames; a fresh game every 600 frames.
void BM_RulesFrameGameInPlay(benchmark::State& state) {
    prepareBoard();
    std::srand(7);
    int frame = 0;
    for (auto _ : state) {
        if (frame % 600 == 0) {
            state.PauseTiming();
            gameState.pendingDrops = 6;
            scatterBlocks(gameState.board);
            state.ResumeTiming();
        }
        if (frame % 3 == 0) startSwap(gameState.board, frame % 5, (frame / 3) % 9);
        updateBoard(gameState.board);
        resolveRuns(gameState.board);
        if (gameState.board.particles.size() > 200) gameState.board.particles.clear();
        ++frame;
    }
    setFrameShare(state);
}
BENCHMARK(BM_RulesFrameGameInPlay);
}  // namespace

BENCHMARK_MAIN();
