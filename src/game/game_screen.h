#pragma once

struct GameState;

void startNewGame(GameState& state);
void runGameFrame(GameState& state);
void handleGameKeys(GameState& state);

// Runs inside the frame that ends a game, after the game has handed back
// to the menu. The results live on a floor above; the start-up connects them.
extern void (*showGameResults)(int mode);
