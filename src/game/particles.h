#pragma once
#include "base/board.h"

// Adds a glow over the destroyed block at (column, row).
void spawnParticle(Board& board, float column, float row);
// Draws every glow and the flash over the scene, then ages them by one frame.
void drawParticles(Board& board);
// One frame of ageing, unless the game is paused: glows grow and fade and
// are dropped once invisible; the flash fades. Needs no GL context.
void ageParticles(Board& board);
