#pragma once
#include "game/board.h"

void spawnParticle(Board& board, float column, float row);
// Ages the glows and the flash by one frame (unless paused); drawing calls it.
void drawParticles(Board& board);
