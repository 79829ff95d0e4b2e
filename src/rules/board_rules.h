#pragma once
#include "rules/board.h"
#include "rules/board_model.h"

// Board rules: no OpenGL here. All operations work on the one board of the
// game state and read its extent from boardColumns and boardRows.
// Begins exchanging (column, row) with its right-hand neighbour, or does
// nothing when either cell is locked or a fall is under way there.
void startSwap(Board& board, int column, int row);
// One frame: every fall and swap advances a step, then at most one new block
// drops in at the top.
void updateBoard(Board& board);
// Destroys every run on the board and scores it.
void resolveRuns(Board& board);
void awardRun(Board& board, int n, int kind);
