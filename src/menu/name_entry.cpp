#include "menu/name_entry.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "rules/game_state.h"
#include "sound/sound_system.h"

std::string nameBuffer;

namespace {
void playTypingSound() { FSOUND_PlaySound(FSOUND_FREE, gameState.optionClickSample); }

// The field always keeps a terminating zero after the typed characters.
void rewritePlayerName() {
    char* field = gameState.config.playerName;
    std::memset(field, 0, sizeof gameState.config.playerName);
    std::memcpy(field, nameBuffer.data(), std::min(nameBuffer.size(), kMaxNameLength));
}

bool isNameCharacter(int symbol) { return (symbol >= '0' && symbol <= '9') || (symbol >= 'a' && symbol <= 'z'); }

void appendCharacter(int symbol) {
    if (symbol > 96) symbol -= 32;
    nameBuffer.push_back(static_cast<char>(symbol));
    if (nameBuffer.size() >= kMaxNameLength) gameState.nameEntryActive = false;
    rewritePlayerName();
    playTypingSound();
}
}  // namespace

void startNameEntry() {
    playTypingSound();
    nameBuffer.clear();
    std::memset(gameState.config.playerName, 0, sizeof gameState.config.playerName);
    gameState.nameEntryActive = true;
    gameState.clickLatch = 1;
}

void handleNameEntryKey(int symbol) {
    if (isNameCharacter(symbol)) {
        appendCharacter(symbol);
    } else if (symbol == SDLK_BACKSPACE && !nameBuffer.empty()) {
        nameBuffer.pop_back();
        rewritePlayerName();
        playTypingSound();
    } else if (symbol == SDLK_RETURN) {
        gameState.nameEntryActive = false;
    }
}
