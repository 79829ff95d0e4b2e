#pragma once
#include <cstddef>
#include <string>

#include "rules/highscore_records.h"

struct GameState;
struct Replay;

// What a game takes over from before it began, as the replay holds it: the
// player's name, the mode, the cursor's place and the keys still held.
void takeOverReplayStart(GameState& state, const Replay& replay);

struct ReplayVerdict {
    bool matches = false;
    std::string why;        // one line, when it does not
    HighscoreEntry row{};   // what playing it again produced
    size_t frames = 0;      // frames played again
};

// Plays a replay again with the rules alone, on the one game state and with
// the seams fed from the replay, and compares the row it ends with to the
// replay's own. The time it takes is bounded by the frames the file holds.
ReplayVerdict checkReplay(const Replay& replay);

// "TIMEATTACK PLAYER7: score 150, 3 blocks, 66.300 s"
std::string describeResult(int mode, const HighscoreEntry& row);
