#pragma once
#include <cstdint>

// The four game modes: their names, which highscore table keeps a mode's
// results, and what a mode ranks by. The game and the score server both
// read them from here.
enum GameMode : int32_t { FreePlay = 1, TimeAttack = 2, Hardcore = 3, HundredMoves = 4 };
enum class Ranking { ScorePerSecond, Duration, Score };

struct ModeFacts {
    GameMode mode;
    const char* name;  // "FREE PLAY", "TIMEATTACK", "HARDCORE", "100 MOVES"
    int table;         // its highscore table, or -1: results are not entered
    Ranking ranking;
};

// Null for a number that is no mode.
const ModeFacts* modeFacts(int32_t mode);
// The mode's name; null for any other value.
const char* gameModeName(int32_t mode);
