#pragma once
#include <cstdint>

// Every game is recorded through the seam table as it is played: the seed,
// and for each pass of the main loop the events the game read and the tick
// readings it made. No frame waits for it.

// Wraps the platform seams that a game reads. Call once the real ones are in.
void startRecordingGames();
// A game whose seed is not the time it began (today's deal) names its
// replay for this time instead.
void nameRecordedGameAt(uint32_t seconds);
// At a game's end: writes its replay into replays/ (YYYYMMDD-HHMMSS-MODE-SCORE.qrp)
// and keeps the last 20 games and every game in the highscore tables. A replay
// that cannot be written fails alone and silently.
void finishRecordedGame();
