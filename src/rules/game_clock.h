#pragma once
#include <cstdint>

struct GameState;

// How many times faster than real time the TIMEATTACK countdown runs after
// elapsedMs of game time: 1 at first, one more for every 100 s.
uint32_t drainFactor(uint32_t elapsedMs);

// Advances the game clock by the ticks since the previous frame. Paused
// frames and the first frame of a game count nothing.
void advanceGameClock(GameState& state);
