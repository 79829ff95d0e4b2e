#include "rules/config_file.h"

#include <cstring>

#include "rules/file_util.h"
#include "rules/game_state.h"

const char* const kConfigFileName = "config.dat";
int32_t modeChosenMeanwhile = 0;

void loadConfig() {
    unsigned char buffer[sizeof(ConfigRecord)] = {};
    // A short file leaves the rest zero, so its marker byte cannot read 'Y'.
    if (readStoredFile(kConfigFileName, buffer, sizeof buffer) < 0) return;
    std::memcpy(&gameState.config, buffer, sizeof buffer);
}

void applyConfigDefaults() {
    ConfigRecord& config = gameState.config;
    if (config.validMarker == 'Y') return;
    std::memset(config.playerName, 0, sizeof config.playerName);
    std::memcpy(config.playerName, "VELMO", 5);
    config.gameMode = FreePlay;
    config.musicOn = 1;
    config.speed = 50;
    config.validMarker = 'Y';
}

void saveConfig() {
    unsigned char buffer[sizeof(ConfigRecord)];
    std::memcpy(buffer, &gameState.config, sizeof buffer);
    writeFileAtomically(kConfigFileName, buffer, sizeof buffer);
}

void storeFullScreenChoice() {
    ConfigRecord stored{};
    if (readStoredFile(kConfigFileName, &stored, sizeof stored) < 0 || stored.validMarker != 'Y') {
        stored = gameState.config;
        if (modeChosenMeanwhile != 0) stored.gameMode = modeChosenMeanwhile;
    }
    stored.fullScreen = gameState.config.fullScreen;
    writeFileAtomically(kConfigFileName, &stored, sizeof stored);
}

void copyNameField(const char* field, size_t fieldSize, char* out, size_t outSize) {
    if (outSize == 0) return;
    size_t length = 0;
    while (length < fieldSize && length + 1 < outSize && field[length] != '\0') ++length;
    std::memcpy(out, field, length);
    out[length] = '\0';
}
