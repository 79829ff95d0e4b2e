#pragma once
#include <cstddef>
#include <cstdint>

#include "rules/game_modes.h"

// The player's settings, stored as these exact 80 bytes in config.dat.
struct ConfigRecord {
    char playerName[10];
    uint8_t reserved10[2];
    int32_t speed;
    uint8_t reserved16[8];
    int32_t gameMode;
    uint8_t musicOn;
    uint8_t fullScreen;  // a spare byte of older versions, which keep it as read
    uint8_t reserved30[42];
    uint8_t validMarker;
    uint8_t reserved73[7];
};
static_assert(sizeof(ConfigRecord) == 80, "config.dat holds exactly 80 bytes");
static_assert(offsetof(ConfigRecord, speed) == 12);
static_assert(offsetof(ConfigRecord, gameMode) == 24);
static_assert(offsetof(ConfigRecord, musicOn) == 28);
static_assert(offsetof(ConfigRecord, fullScreen) == 29);
static_assert(offsetof(ConfigRecord, validMarker) == 72);

extern const char* const kConfigFileName;

void loadConfig();
void applyConfigDefaults();
void saveConfig();
// Writes the full-screen choice alone into config.dat, leaving the stored
// settings as they are; without a valid file, writes the current ones.
void storeFullScreenChoice();
// While a game plays another mode than the player chose (today's deal), the
// mode config.dat keeps for them; 0 otherwise.
extern int32_t modeChosenMeanwhile;

// Copies a fixed name field into a zero-terminated string; the field itself
// may lack its terminator when the file it came from was damaged.
void copyNameField(const char* field, size_t fieldSize, char* out, size_t outSize);
