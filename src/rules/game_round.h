#pragma once

struct GameState;

// One game as the rules see it, for the game screen and for anything that
// plays a game again without a window.

// Resets the per-game fields, seeds the generator and deals the opening
// blocks. The cursor keeps its place from the previous game.
void beginGame(GameState& state, unsigned seed);
// The board's step of one frame: moves, drops and runs, unless paused.
void advanceBoard(GameState& state);
