#include "menu/options_page.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "base/config_file.h"
#include "base/game_state.h"
#include "sound/sound_system.h"
#include "menu/name_entry.h"
#include "render/text_render.h"

namespace {
struct ClickArea {
    int top, bottom;
    int left = 0, right = -1;  // right < left: the whole row counts
};

bool pointerIn(const ClickArea& area) {
    int x = gameState.mouseX, y = gameState.mouseY;
    if (y < area.top || y > area.bottom) return false;
    return area.right < area.left || (x >= area.left && x <= area.right);
}

// One press acts on one line only: the first line it lands on latches it.
bool clicked(const ClickArea& area, bool leftDown) {
    if (gameState.nameEntryActive || !leftDown || gameState.clickLatch != 0 || !pointerIn(area)) return false;
    gameState.clickLatch = 1;
    return true;
}

void playOptionClick() { FSOUND_PlaySound(FSOUND_FREE, gameState.optionClickSample); }

void gameModeLine(bool leftDown) {
    int32_t& mode = gameState.config.gameMode;
    if (clicked({101, 129}, leftDown)) {
        playOptionClick();
        // Unsigned so that a damaged stored value wraps instead of overflowing.
        mode = static_cast<int32_t>(static_cast<uint32_t>(mode) + 1u);
        if (mode == 5) mode = FreePlay;
    }
    drawText("GAMEMODE: ", 10, 100);
    if (const char* name = gameModeName(mode)) drawText(name, 300, 100);
}

void stepSpeed(int delta) {
    playOptionClick();
    int64_t speed = static_cast<int64_t>(gameState.config.speed) + delta;
    gameState.config.speed = static_cast<int32_t>(std::clamp<int64_t>(speed, 0, 100));
}

void speedLine(bool leftDown) {
    if (clicked({131, 159, 291, 319}, leftDown)) stepSpeed(-1);
    if (clicked({131, 159, 541, 569}, leftDown)) stepSpeed(+1);
    char text[32];
    std::snprintf(text, sizeof text, "<  %.3i  >", static_cast<int>(gameState.config.speed));
    drawText("SPEED: ", 100, 130);
    drawText(text, 300, 130);
}

void musicLine(bool leftDown) {
    if (clicked({161, 189}, leftDown)) {
        if (gameState.config.musicOn) {
            FSOUND_Stream_Stop(gameState.menuMusicStream);
            playOptionClick();
            gameState.config.musicOn = 0;
        } else {
            playOptionClick();
            gameState.config.musicOn = 1;
            gameState.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, gameState.menuMusicStream);
        }
    }
    drawText("MUZAIK: ", 70, 160);
    drawText(gameState.config.musicOn ? "ON (+-+)" : "OFF", 310, 160);
}

void playerLine(bool leftDown) {
    if (clicked({191, 219}, leftDown)) startNameEntry();
    drawText("PLAYER: ", 70, 190);
    // The stored field may lack its zero byte when the file was damaged.
    char name[sizeof gameState.config.playerName + 1];
    copyNameField(gameState.config.playerName, sizeof gameState.config.playerName, name, sizeof name);
    drawText(name, 300, 190);
    if (gameState.nameEntryActive) drawText("_", 300 + 30 * static_cast<int>(nameBuffer.size()), 190);
}

void doneLine(bool leftDown) {
    if (clicked({401, 429}, leftDown)) {
        playOptionClick();
        gameState.menuPage = MainMenuPage;
        saveConfig();
    }
    drawText("<DONE>", 250, 400);
}
}  // namespace

void runOptionsStep(bool leftButtonDown) {
    drawText("OPTIONS", 230, 20);
    gameModeLine(leftButtonDown);
    speedLine(leftButtonDown);
    musicLine(leftButtonDown);
    playerLine(leftButtonDown);
    doneLine(leftButtonDown);
}
