#pragma once
#include <initializer_list>
#include <string>

#include "base/game_state.h"

// Puts the global game state into a known, quiet state for board tests:
// a 6 x 9 board with every cell reset, no particles, no flash, counters at
// zero, FREE PLAY, sound off, nothing owed.
void resetBoardForTest();

// Lays blocks from a picture whose last line is the bottom row: a digit is a
// block of that kind, '.' an empty cell. Lines are as wide as the board.
void layBlocks(std::initializer_list<const char*> rowsFromTopOfPicture);

Cell& cellAt(int column, int row);
void putBlock(int column, int row, int kind);

// The kinds on the board as lines top to bottom, '.' for empty cells.
std::string boardPicture();
int blocksOnBoard();

// One unpaused frame of rules, as the game screen runs it.
void runRulesFrame();

// Fields equal, padding ignored.
bool sameCell(const Cell& a, const Cell& b);
