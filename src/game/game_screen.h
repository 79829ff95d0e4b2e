#pragma once

struct GameState;

void startNewGame(GameState& state);
void runGameFrame(GameState& state);
void handleGameKeys(GameState& state);
