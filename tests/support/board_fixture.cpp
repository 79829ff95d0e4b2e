#include "board_fixture.h"

#include <cstring>
#include <vector>

#include "game/board_rules.h"

void resetBoardForTest() {
    gameState.boardColumns = 6;
    gameState.boardRows = 9;
    Board& board = gameState.board;
    for (auto& column : board.cells)
        for (auto& cell : column) cell = Cell{};
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) resetCell(board.cells[c][r]);
    board.flash = 0.0f;
    board.particles.clear();
    gameState.score = 0;
    gameState.blocksDestroyed = 0;
    std::memset(gameState.removedByKind, 0, sizeof gameState.removedByKind);
    gameState.timeLeftMs = 50000;
    gameState.pendingDrops = 0;
    gameState.paused = 0;
    gameState.config.gameMode = FreePlay;
    gameState.soundEnabled = 0;
    gameState.boomSample = nullptr;
}

void layBlocks(std::initializer_list<const char*> rowsFromTopOfPicture) {
    std::vector<const char*> lines(rowsFromTopOfPicture);
    int firstRow = gameState.boardRows - static_cast<int>(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const char* line = lines[i];
        for (int c = 0; c < gameState.boardColumns && line[c]; ++c)
            if (line[c] != '.') putBlock(c, firstRow + static_cast<int>(i), line[c] - '0');
    }
}

Cell& cellAt(int column, int row) { return gameState.board.cells[column][row]; }

void putBlock(int column, int row, int kind) {
    Cell& cell = cellAt(column, row);
    resetCell(cell);
    cell.empty = false;
    cell.kind = kind;
}

std::string boardPicture() {
    std::string out;
    for (int r = 0; r < gameState.boardRows; ++r) {
        for (int c = 0; c < gameState.boardColumns; ++c) {
            const Cell& cell = cellAt(c, r);
            out += cell.empty ? '.' : static_cast<char>('0' + cell.kind);
        }
        out += '\n';
    }
    return out;
}

int blocksOnBoard() {
    int n = 0;
    for (int c = 0; c < gameState.boardColumns; ++c)
        for (int r = 0; r < gameState.boardRows; ++r) n += cellAt(c, r).empty ? 0 : 1;
    return n;
}

void runRulesFrame() {
    updateBoard(gameState.board);
    resolveRuns(gameState.board);
}

bool sameCell(const Cell& a, const Cell& b) {
    return a.kind == b.kind && a.slidingLeft == b.slidingLeft && a.slidingRight == b.slidingRight &&
           a.slideProgress == b.slideProgress && a.empty == b.empty && a.falling == b.falling &&
           a.fallProgress == b.fallProgress && a.busy == b.busy;
}
