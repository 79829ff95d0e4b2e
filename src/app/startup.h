#pragma once
#include <cstdint>

struct GameState;

// Everything from reading config.dat to the first menu frame. Exits with
// code 2 when no window can be shown.
void runStartup(GameState& state, int* argc, char** argv);
void startSoundSystem(GameState& state);
void runMainLoop(GameState& state);
// Watching a replay changes no highscores.
void shutdownGame(GameState& state, bool keepHighscores = true);

// How long the main loop sleeps after a frame that took spentMs.
uint32_t frameDelayMs(uint32_t spentMs);

// Connects the screens that reach upward: the end of a game shows its
// highscores. The start-up does this; so can a test that plays a game.
void connectScreens();
