#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "scores/highscore_table.h"

// Sends the game just ended to the score server; 1 once the player has seen
// the result, -1 when the network could not be set up.
int submitScore(const char* host, int port);
// The domain the build was made for: the native game's entry for the seam.
const char* builtInScoreDomain();

// Modes without a table of their own are sent as mode 4.
int sentMode(int mode);
// The request text up to and including "data=", for the given game mode.
std::string scoreRequestHeader(int mode, const char* domain);
// The record sent for the game that has just ended.
HighscoreEntry scoreRecord();

// The whole wait for the answer is bounded, so a silent server cannot
// freeze the game.
constexpr uint32_t kResponseWaitLimitMs = 3000;
