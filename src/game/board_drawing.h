#pragma once
#include "game/board.h"

void drawBoard(Board& board);
void drawBlock(Board& board, float x, float y, float z);
void drawCursor(Board& board, float x, float y);
void drawBoardBackground(Board& board);
