#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rules/config_file.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "scores/highscore_table.h"

// Only the platform part is reached: the default tables draw random numbers.
Seams seams = {defaultPlatformHooks(), {}, {}};

// Any bytes as both stored files, loaded as the start does; then a game of
// each ranked mode is entered under the name read.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    for (const char* name : {kConfigFileName, kHighscoreFileName}) {
        std::FILE* file = std::fopen(name, "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    }
    std::memset(&gameState.config, 0, sizeof gameState.config);
    loadConfig();
    loadHighscores(gameState.highscores);
    applyConfigDefaults();
    char name[11];
    copyNameField(gameState.config.playerName, 10, name, sizeof name);
    gameState.score = uint32_t(gameState.config.speed), gameState.elapsedMs = uint32_t(gameState.config.gameMode);
    for (int mode : {1, 2}) {
        int row = insertHighscore(mode);
        const char* entered = gameState.highscores.tables[mode - 1].rows[row % 10].name;
        if (row != kNotEntered && (row > 9 || std::memcmp(entered, gameState.config.playerName, 10))) std::abort();
    }
    return gameState.highscores.initialisedMarker == 'Y' ? 0 : (std::abort(), 0);
}
