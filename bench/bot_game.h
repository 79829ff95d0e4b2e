#pragma once
#include <cstdint>

#include "rules/replay_file.h"

// A player that swaps where it can and wanders otherwise, on a clock that
// keeps the main loop's pace with a little jitter, until Escape after
// `frames`: a replay as the game would record it, played through the same
// seams the game reads. A frame shorter than 50 ms makes a sped-up game.
struct BotGameSettings {
    int mode = 2;
    uint32_t seed = 1765115000u;
    int frames = 1200;
    uint32_t frameMs = 50;
    const char* name = "BOT";
};
Replay playBotGame(const BotGameSettings& settings);
