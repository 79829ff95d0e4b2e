#include "rules/board_model.h"

#include "rules/game_state.h"
#include "rules/seams.h"

namespace {
constexpr int kScatterPlacements = 25;
constexpr int kDealtKinds = 5;
constexpr size_t kShortestRun = 3;

bool listHolds(const PosList& list, int column, int row) {
    for (const CellPos& pos : list)
        if (pos.column == column && pos.row == row) return true;
    return false;
}

// The crossing search of a top-level call: the first run across the main
// run's cells that is long enough, tried in list order.
void appendFirstCrossing(Board& board, PosList& list, int kind, bool crossIsColumn) {
    PosList crossing;
    for (size_t i = 0; i < list.size(); ++i) {
        if (crossIsColumn)
            findColumnRun(board, crossing, list[i].column, list[i].row, kind, true);
        else
            findRowRun(board, crossing, list[i].column, list[i].row, kind, true);
        if (crossing.size() >= kShortestRun) break;
    }
    for (const CellPos& pos : crossing) list.push_back(pos);
}
}  // namespace

void resetCell(Cell& cell) {
    cell.kind = 1;
    cell.slidingLeft = false;
    cell.slidingRight = false;
    cell.slideProgress = 0;
    cell.empty = true;
    cell.falling = false;
    cell.fallProgress = 0;
    cell.busy = false;
}

void scatterBlocks(Board& board) {
    for (int column = 0; column < gameState.boardColumns; ++column)
        for (int row = 0; row < gameState.boardRows; ++row) resetCell(board.cells[column][row]);
    for (int i = 0; i < kScatterPlacements; ++i) {
        int column = gameRand() % gameState.boardColumns;
        int row = gameRand() % gameState.boardRows;
        int kind = gameRand() % kDealtKinds + 1;
        Cell& cell = board.cells[column][row];
        cell.empty = false;
        cell.kind = kind;
    }
}

bool cellMatches(const Cell& cell, int kind) { return cell.kind == kind && !cell.empty && !cell.busy; }

void findRowRun(Board& board, PosList& list, int column, int row, int kind, bool nested) {
    int start = column;
    while (start > 0 && cellMatches(board.cells[start - 1][row], kind)) --start;
    for (int x = start; x < gameState.boardColumns && cellMatches(board.cells[x][row], kind); ++x)
        if (!listHolds(list, x, row)) list.push_back({x, row});
    if (list.size() < kShortestRun) {
        list.clear();
        return;
    }
    if (!nested) appendFirstCrossing(board, list, kind, true);
}

void findColumnRun(Board& board, PosList& list, int column, int row, int kind, bool nested) {
    int start = row;
    while (start > 0 && cellMatches(board.cells[column][start - 1], kind)) --start;
    for (int y = start; y < gameState.boardRows && cellMatches(board.cells[column][y], kind); ++y)
        if (!listHolds(list, column, y)) list.push_back({column, y});
    if (list.size() < kShortestRun) {
        list.clear();
        return;
    }
    if (!nested) appendFirstCrossing(board, list, kind, false);
}
