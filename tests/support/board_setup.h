#pragma once
#include <initializer_list>
#include <string>

#include "rules/game_state.h"

// A quiet 6 x 9 board: every cell reset, no particles, counters at zero,
// FREE PLAY, sound off, nothing owed.
void resetBoard();
// Lays blocks from a picture whose last line is the bottom row: a digit is
// a block of that kind, '.' an empty cell.
void layBlocks(std::initializer_list<const char*> rowsFromTop);
Cell& cellAt(int column, int row);
void putBlock(int column, int row, int kind);
// The board as lines top to bottom, '.' for empty cells.
std::string boardPicture();
int blocksOnBoard();
