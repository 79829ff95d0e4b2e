// Stand-in until the game screen lands.
#include "game/game_screen.h"

#include "app/game_state.h"

void startNewGame(GameState&) {}
void runGameFrame(GameState& state) { state.screen = MenuScreen; }
void handleGameKeys(GameState&) {}
