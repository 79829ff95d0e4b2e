#include "rules/game_state.h"

GameState gameState;

void initSceneVariables(GameState& state) {
    state.boardColumns = 6;
    state.boardRows = 9;
    state.cursorColumn = 0;
    state.cursorRow = 0;
    state.windowWidth = 640;
    state.keyLatch = 0;
    state.windowHeight = 480;
    state.score = 0;
    state.pendingDrops = 6;
    if (!state.textures) state.textures = new uint32_t[kTextureTableSize]();
    applyConfigDefaults();
}

void setKeyDown(int symbol, uint8_t value) {
    if (symbol >= 0 && symbol < kKeyTableSize) gameState.keyDown[symbol] = value;
}
