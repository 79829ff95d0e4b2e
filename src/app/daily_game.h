#pragma once

struct GameState;

// quadrune --daily: today's deal, a TIMEATTACK game seeded with the day's
// 00:00 UTC, started straight after loading. It ends as any game does, at
// the highscores, and the menu then has the player's own mode again: the
// daily game never changes what config.dat chose.
// Call once the menu is ready and recording has started.
void startDailyGame(GameState& state);
