#include "rules/board_rules.h"

#include "rules/config_file.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/particles.h"

namespace {
constexpr int kStep = 10;      // percent of a cell per frame, for swaps and falls
constexpr int kLastStep = 90;  // progress from which the next step completes the move
constexpr int kDealtKinds = 5;
constexpr float kFlashPerBlock = 0.2f;

Cell& cellAt(Board& board, int column, int row) { return board.cells[column][row]; }

void landBlock(Board& board, int column, int row) {
    Cell& from = cellAt(board, column, row);
    Cell& below = cellAt(board, column, row + 1);
    int kind = from.kind;
    resetCell(below);
    below.kind = kind;
    below.empty = false;
    from.falling = false;
    from.empty = true;
    from.busy = false;
    resetCell(from);
    // The block coming down after this one keeps the cell reserved.
    if (row > 0) {
        const Cell& above = cellAt(board, column, row - 1);
        if (above.falling && !above.empty) from.busy = true;
    }
    if (row + 2 < gameState.boardRows) {
        const Cell& next = cellAt(board, column, row + 2);
        bool open = next.empty || (next.falling && !next.busy);
        if (open && !next.slidingLeft && !next.slidingRight) below.falling = true;
    }
}

void fallStep(Board& board, int column, int row) {
    if (row >= gameState.boardRows - 1) return;
    Cell& cell = cellAt(board, column, row);
    if (cell.empty) return;
    if (cell.busy && !cell.falling) return;  // in a swap, or a reserved target
    Cell& below = cellAt(board, column, row + 1);
    if (!cell.falling) {
        bool followsFall = below.busy && below.falling;
        bool holeBelow = below.empty && !below.busy;
        if (followsFall || holeBelow) {
            cell.falling = true;
            cell.fallProgress = 0;
            below.busy = true;
            cell.busy = true;
        }
        return;
    }
    if (cell.fallProgress <= kLastStep) {
        cell.fallProgress += kStep;
        return;
    }
    landBlock(board, column, row);
}

// Moves the content of `from` into `to` (or exchanges two blocks) and
// releases both cells of the swap.
void finishSwap(Cell& from, Cell& to) {
    from.slidingLeft = from.slidingRight = false;
    to.slidingLeft = to.slidingRight = false;
    from.busy = to.busy = false;
    from.slideProgress = to.slideProgress = 0;
    if (!to.empty) {
        int kind = to.kind;
        to.kind = from.kind;
        from.kind = kind;
    } else {
        to.kind = from.kind;
        to.empty = false;
        from.empty = true;
    }
}

void slideStep(Board& board, int column, int row) {
    Cell& cell = cellAt(board, column, row);
    // An empty left-hand cell is carried by its partner's animation.
    bool animated = cell.slidingLeft || (cell.slidingRight && !cell.empty);
    if (!animated) return;
    if (cell.slideProgress <= kLastStep) {
        cell.slideProgress += kStep;
        return;
    }
    if (cell.slidingRight)
        finishSwap(cell, cellAt(board, column + 1, row));
    else
        finishSwap(cell, cellAt(board, column - 1, row));
}

void dropStep(Board& board) {
    if (gameState.pendingDrops == 0) return;
    Cell& top = cellAt(board, gameRand() % gameState.boardColumns, 0);
    if (!top.empty) return;  // the drop waits for a free top cell
    top.empty = false;
    top.kind = gameRand() % kDealtKinds + 1;
    --gameState.pendingDrops;
}

// An empty cell that a swap or a fall is about to fill keeps its flags;
// any other empty cell goes back to the reset state.
void tidyEmptyCell(Board& board, int column, int row) {
    if (column > 0 && cellAt(board, column - 1, row).slidingRight) return;
    if (column + 1 < gameState.boardColumns && cellAt(board, column + 1, row).slidingLeft) return;
    if (row > 0 && cellAt(board, column, row - 1).falling) return;
    resetCell(cellAt(board, column, row));
}

void destroyRun(Board& board, const PosList& list) {
    for (const CellPos& pos : list) {
        spawnParticle(board, static_cast<float>(pos.column), static_cast<float>(pos.row));
        Cell& cell = cellAt(board, pos.column, pos.row);
        if (cell.falling && pos.row + 1 < gameState.boardRows) cellAt(board, pos.column, pos.row + 1).busy = false;
        resetCell(cell);
        board.flash += kFlashPerBlock;
    }
}

void resolveCell(Board& board, PosList& list, int column, int row) {
    if (cellAt(board, column, row).empty) {
        tidyEmptyCell(board, column, row);
        return;
    }
    int kind = cellAt(board, column, row).kind;
    list.clear();
    findRowRun(board, list, column, row, kind, false);
    if (list.empty()) findColumnRun(board, list, column, row, kind, false);
    int n = static_cast<int>(list.size());
    // Through the seam, so the rules need no sound layer.
    if (n >= 3 && gameState.soundEnabled) seams.sound.playSound(kAnyFreeChannel, gameState.boomSample);
    gameState.blocksDestroyed += n;
    gameState.pendingDrops += n;
    awardRun(board, n, kind);
    destroyRun(board, list);
}
}  // namespace

void startSwap(Board& board, int column, int row) {
    // The cursor never leaves the board; a request from elsewhere is ignored.
    if (column < 0 || column > gameState.boardColumns - 2 || row < 0 || row >= gameState.boardRows) return;
    Cell& left = cellAt(board, column, row);
    Cell& right = cellAt(board, column + 1, row);
    // On the top row the cells themselves stand in for the row above.
    const Cell& aboveLeft = row > 0 ? cellAt(board, column, row - 1) : left;
    const Cell& aboveRight = row > 0 ? cellAt(board, column + 1, row - 1) : right;
    if (left.empty && right.empty) return;
    if (left.busy || right.busy) return;
    if (right.falling || left.falling) return;
    if (aboveRight.falling || aboveLeft.falling) return;
    left.busy = true;
    left.slideProgress = 0;
    right.slidingLeft = true;
    right.slideProgress = 0;
    left.slidingRight = true;
    right.busy = true;
}

void updateBoard(Board& board) {
    for (int column = 0; column < gameState.boardColumns; ++column) {
        for (int row = 0; row < gameState.boardRows; ++row) {
            fallStep(board, column, row);
            slideStep(board, column, row);
        }
    }
    dropStep(board);
}

void resolveRuns(Board& board) {
    PosList list;
    for (int row = 0; row < gameState.boardRows; ++row)
        for (int column = 0; column < gameState.boardColumns; ++column) resolveCell(board, list, column, row);
}

void awardRun(Board&, int n, int kind) {
    // Whole milliseconds: a floating-point product cut to an integer can come
    // out one short.
    if (gameState.config.gameMode == TimeAttack)
        gameState.timeLeftMs += static_cast<uint32_t>(n * 100 * (5 + kind));
    constexpr int kCounters = static_cast<int>(sizeof gameState.removedByKind / sizeof gameState.removedByKind[0]);
    if (kind >= 0 && kind < kCounters) gameState.removedByKind[kind] += n;
    gameState.score += static_cast<uint32_t>(n * kind * 10);
}
