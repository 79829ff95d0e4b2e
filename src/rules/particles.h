#pragma once
#include "rules/board.h"

// The glows of destroyed blocks and the flash, as the rules make and age
// them; drawing them is particle_drawing's.

// Adds a glow over the destroyed block at (column, row).
void spawnParticle(Board& board, float column, float row);
// One frame of ageing, unless the game is paused: glows grow and fade and
// are dropped once invisible; the flash fades. Needs no GL context.
void ageParticles(Board& board);
