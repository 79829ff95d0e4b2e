#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/config_file.h"
#include "base/game_state.h"
#include "scores/highscore_table.h"

// Any bytes as both config.dat and highscore.dat, loaded as the start does;
// then a game of each ranked mode is entered under the name read.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    for (const char* name : {kConfigFileName, kHighscoreFileName}) {
        std::FILE* file = std::fopen(name, "wb");
        if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    }
    std::memset(&gameState.config, 0, sizeof gameState.config);
    loadConfig();
    loadHighscores(gameState.highscores);
    applyConfigDefaults();
    char name[sizeof gameState.config.playerName + 1];
    copyNameField(gameState.config.playerName, sizeof gameState.config.playerName, name, sizeof name);
    if (std::strlen(name) > 10 || gameState.highscores.initialisedMarker != 'Y') std::abort();
    gameState.score = static_cast<uint32_t>(gameState.config.speed);
    gameState.elapsedMs = static_cast<uint32_t>(gameState.config.gameMode);
    for (int mode : {int{FreePlay}, int{TimeAttack}}) {
        int row = insertHighscore(mode);
        const HighscoreEntry* entered = &gameState.highscores.tables[mode - 1].rows[row % kHighscoreRows];
        if (row != kNotEntered && (row < 0 || row > 9 || std::memcmp(entered->name, gameState.config.playerName, 10)))
            std::abort();
    }
    return 0;
}
