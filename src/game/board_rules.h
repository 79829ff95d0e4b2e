#pragma once
#include "game/board.h"

// Board rules: no OpenGL here. All operations work on the one board of the
// game state and read its extent from boardColumns and boardRows.
void resetCell(Cell& cell);
void scatterBlocks(Board& board);
void findRowRun(Board& board, PosList& list, int column, int row, int kind, bool nested);
void findColumnRun(Board& board, PosList& list, int column, int row, int kind, bool nested);
void startSwap(Board& board, int column, int row);
void updateBoard(Board& board);
void resolveRuns(Board& board);
void awardRun(Board& board, int n, int kind);
