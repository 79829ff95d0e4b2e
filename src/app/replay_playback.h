#pragma once
#include "rules/replay_file.h"

// Plays a replay in the game's window at its real pace, with its sound,
// glows and HUD: its frames reach the game through the seams. P pauses,
// Right plays four times faster while held, Escape leaves; the program
// ends with the game.
void startPlayback(const Replay& replay);
