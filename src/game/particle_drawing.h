#pragma once
#include "rules/board.h"

// Draws every glow and the flash over the scene, then ages them by one frame.
void drawParticles(Board& board);
