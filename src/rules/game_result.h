#pragma once
#include "rules/highscore_records.h"

struct GameState;

// The row a game ends with, as the score upload sends it and a replay keeps
// it: the player's name, the destroyed blocks by kind, the score and the
// game time in milliseconds; every other byte zero.
HighscoreEntry gameResultRow(const GameState& state);
