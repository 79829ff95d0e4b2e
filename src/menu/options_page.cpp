#include "menu/options_page.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "rules/config_file.h"
#include "rules/game_state.h"
#include "sound/sound_system.h"
#include "menu/key_selection.h"
#include "menu/name_entry.h"
#include "render/text_render.h"

namespace {
enum OptionRow { ModeRow, SpeedRow, MusicRow, PlayerRow, DoneRow, kOptionRows };

// Up and down move the highlight round the rows; the other moves are left
// for the highlighted row.
MenuMove moveSelection(MenuMove move) {
    if (move == MenuMove::None) return move;
    int& row = keySelection.optionRow;
    if (keySelection.shown && move == MenuMove::Down) row = (row + 1) % kOptionRows;
    if (keySelection.shown && move == MenuMove::Up) row = (row + kOptionRows - 1) % kOptionRows;
    showKeySelection();
    return move == MenuMove::Up || move == MenuMove::Down ? MenuMove::None : move;
}

bool lit(OptionRow row) { return keySelection.shown && keySelection.optionRow == row; }

// The highlighted row is drawn in gold.
void rowText(OptionRow row, const char* text, int x, int y) {
    if (lit(row))
        drawTextTinted(text, x, y, 1.0f, 0.8f, 0.2f);
    else
        drawText(text, x, y);
}

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

void gameModeLine(bool leftDown, MenuMove move) {
    int32_t& mode = gameState.config.gameMode;
    if (clicked({101, 129}, leftDown) || move == MenuMove::Right || move == MenuMove::Choose) {
        playOptionClick();
        // Unsigned so that a damaged stored value wraps instead of overflowing.
        mode = static_cast<int32_t>(static_cast<uint32_t>(mode) + 1u);
        if (mode == 5) mode = FreePlay;
    }
    if (move == MenuMove::Left) {
        playOptionClick();
        mode = mode > FreePlay && mode <= HundredMoves ? mode - 1 : HundredMoves;
    }
    rowText(ModeRow, "GAMEMODE: ", 10, 100);
    if (const char* name = gameModeName(mode)) rowText(ModeRow, name, 300, 100);
}

void stepSpeed(int delta) {
    playOptionClick();
    int64_t speed = static_cast<int64_t>(gameState.config.speed) + delta;
    gameState.config.speed = static_cast<int32_t>(std::clamp<int64_t>(speed, 0, 100));
}

void speedLine(bool leftDown, MenuMove move) {
    if (clicked({131, 159, 291, 319}, leftDown) || move == MenuMove::Left) stepSpeed(-1);
    if (clicked({131, 159, 541, 569}, leftDown) || move == MenuMove::Right) stepSpeed(+1);
    char text[32];
    std::snprintf(text, sizeof text, "<  %.3i  >", static_cast<int>(gameState.config.speed));
    rowText(SpeedRow, "SPEED: ", 100, 130);
    rowText(SpeedRow, text, 300, 130);
}

void musicLine(bool leftDown, MenuMove move) {
    if (clicked({161, 189}, leftDown) || move != MenuMove::None) {
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
    rowText(MusicRow, "MUZAIK: ", 70, 160);
    rowText(MusicRow, gameState.config.musicOn ? "ON (+-+)" : "OFF", 310, 160);
}

void playerLine(bool leftDown, MenuMove move) {
    if (clicked({191, 219}, leftDown) || move == MenuMove::Choose) startNameEntry();
    rowText(PlayerRow, "PLAYER: ", 70, 190);
    // The stored field may lack its zero byte when the file was damaged.
    char name[sizeof gameState.config.playerName + 1];
    copyNameField(gameState.config.playerName, sizeof gameState.config.playerName, name, sizeof name);
    rowText(PlayerRow, name, 300, 190);
    if (gameState.nameEntryActive) drawText("_", 300 + 30 * static_cast<int>(nameBuffer.size()), 190);
}

void doneLine(bool leftDown, MenuMove move) {
    if (clicked({401, 429}, leftDown) || move == MenuMove::Choose) {
        playOptionClick();
        gameState.menuPage = MainMenuPage;
        saveConfig();
    }
    rowText(DoneRow, "<DONE>", 250, 400);
}

MenuMove forRow(OptionRow row, MenuMove move) { return keySelection.optionRow == row ? move : MenuMove::None; }
}  // namespace

void runOptionsStep(bool leftButtonDown, MenuMove move) {
    MenuMove rowMove = moveSelection(move);
    drawText("OPTIONS", 230, 20);
    gameModeLine(leftButtonDown, forRow(ModeRow, rowMove));
    speedLine(leftButtonDown, forRow(SpeedRow, rowMove));
    musicLine(leftButtonDown, forRow(MusicRow, rowMove));
    playerLine(leftButtonDown, forRow(PlayerRow, rowMove));
    doneLine(leftButtonDown, forRow(DoneRow, rowMove));
}
