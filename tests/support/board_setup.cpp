#include "board_setup.h"

#include <cstring>
#include <vector>

#include "rules/board_model.h"
#include "rules/board_rules.h"

void resetBoard() {
    gameState.boardColumns = 6;
    gameState.boardRows = 9;
    for (auto& column : gameState.board.cells)
        for (auto& cell : column) cell = Cell{};
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) resetCell(cellAt(c, r));
    gameState.board.flash = 0.0f;
    gameState.board.particles.clear();
    gameState.score = 0;
    gameState.blocksDestroyed = 0;
    std::memset(gameState.removedByKind, 0, sizeof gameState.removedByKind);
    gameState.timeLeftMs = 50000;
    gameState.pendingDrops = 0;
    gameState.paused = 0;
    gameState.config.gameMode = FreePlay;
    gameState.soundEnabled = 0;
}

void layBlocks(std::initializer_list<const char*> rowsFromTop) {
    int row = gameState.boardRows - static_cast<int>(rowsFromTop.size());
    for (const char* line : rowsFromTop) {
        for (int c = 0; c < gameState.boardColumns && line[c]; ++c)
            if (line[c] != '.') putBlock(c, row, line[c] - '0');
        ++row;
    }
}

Cell& cellAt(int column, int row) { return gameState.board.cells[column][row]; }

void putBlock(int column, int row, int kind) {
    resetCell(cellAt(column, row));
    cellAt(column, row).empty = false;
    cellAt(column, row).kind = kind;
}

std::string boardPicture() {
    std::string out;
    for (int r = 0; r < gameState.boardRows; ++r, out += '\n')
        for (int c = 0; c < gameState.boardColumns; ++c)
            out += cellAt(c, r).empty ? '.' : static_cast<char>('0' + cellAt(c, r).kind);
    return out;
}

int blocksOnBoard() {
    int n = 0;
    for (int c = 0; c < gameState.boardColumns; ++c)
        for (int r = 0; r < gameState.boardRows; ++r) n += cellAt(c, r).empty ? 0 : 1;
    return n;
}
