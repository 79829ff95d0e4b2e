#pragma once
#include "rules/board.h"

// The board in 3-D: blocks as textured cubes with their swap arcs and fall
// offsets, the two-cell cursor frame and the backdrop. Nothing here changes
// the board.
void drawBoard(Board& board);
// A block cube centred on (x, y, z), with its texture already bound.
void drawBlock(Board& board, float x, float y, float z);
// The cursor frame with its left cell centred on (x, y, 0).
void drawCursor(Board& board, float x, float y);
void drawBoardBackground(Board& board);
