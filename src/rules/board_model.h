#pragma once
#include "rules/board.h"

// The board's cells and the search for runs of like blocks. No OpenGL here;
// the extent in use comes from gameState.boardColumns and boardRows.
void resetCell(Cell& cell);
// Deals the opening blocks at random places; the caller seeds the generator.
void scatterBlocks(Board& board);
// A cell takes part in a run of `kind` only when it holds a block at rest or
// in a continued fall, never while it is locked.
bool cellMatches(const Cell& cell, int kind);
// Fill `list` (passed empty) with the run through the start cell, or leave
// it empty. Unless nested, the first crossing run is appended as well, so
// the block where the two runs cross is listed twice.
void findRowRun(Board& board, PosList& list, int column, int row, int kind, bool nested);
void findColumnRun(Board& board, PosList& list, int column, int row, int kind, bool nested);
