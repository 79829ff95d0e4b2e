#include "menu/menu_screen.h"

#include <GL/gl.h>
#include <SDL.h>

#include "base/game_state.h"
#include "base/platform.h"
#include "sound/sound_system.h"
#include "game/game_screen.h"
#include "menu/menu_drawing.h"
#include "menu/name_entry.h"
#include "menu/options_page.h"

namespace {
void handleEvent(const InputEvent& event) {
    switch (event.kind) {
        case InputEvent::KeyUp:
            gameState.keyLatch = 0;
            setKeyDown(event.symbol, 0);
            break;
        case InputEvent::Quit:
            setKeyDown(kEscapeKey, 1);
            gameState.quitRequested = 1;
            break;
        case InputEvent::KeyDown:
            if (gameState.nameEntryActive)
                handleNameEntryKey(event.symbol);
            else
                setKeyDown(event.symbol, 1);
            break;
        default:
            break;
    }
}

// Polled after every event; the event's own mouse fields are not used.
bool readMouse() {
    int x = 0, y = 0;
    uint8_t buttons = getMouseState(&x, &y);
    gameState.mouseX = x;
    gameState.mouseY = y;
    return (buttons & SDL_BUTTON(1)) != 0;
}

// Escape is tested by its held level, so a key still down after a game
// counts only once some key release has cleared keyLatch.
void applyEscapeRule() {
    if (gameState.keyDown[kEscapeKey] != 1 || gameState.keyLatch != 0) return;
    if (gameState.menuPage == MainMenuPage)
        gameState.quitRequested = 1;
    else if (gameState.menuPage == OptionsPage)
        gameState.menuPage = MainMenuPage;
}

void startGameFromMenu() {
    FSOUND_PlaySound(FSOUND_FREE, gameState.menuClickSample);
    if (gameState.config.musicOn) {
        FSOUND_Stream_Stop(gameState.menuMusicStream);
        gameState.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, gameState.gameMusicStream);
    }
    startNewGame(gameState);
    gameState.screen = GameScreen;
}

// A press carried over from the other page (the <DONE> row lies across the
// exit item, the options item across the first option rows) waits for its
// release, so one press never acts on both pages.
void runMainMenuStep(bool leftDown) {
    drawMenuItems(0);
    unsigned hit = pickMenuItem();
    bool pressed = leftDown && gameState.clickLatch == 0;
    if (hit == PlayItem && pressed) startGameFromMenu();
    if (hit == ExitItem && pressed) {
        FSOUND_PlaySound(FSOUND_FREE, gameState.menuClickSample);
        gameState.quitRequested = 1;
    }
    if (hit == OptionsItem && pressed) {
        FSOUND_PlaySound(FSOUND_FREE, gameState.menuClickSample);
        gameState.menuPage = OptionsPage;
        gameState.clickLatch = 1;
    }
    if (hit >= ExitItem && hit <= OptionsItem) drawMenuItems(hit);
}

void drawPass(bool leftDown) {
    glMatrixMode(GL_MODELVIEW);
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMenuBackground();
    if (gameState.menuPage == MainMenuPage)
        runMainMenuStep(leftDown);
    else if (gameState.menuPage == OptionsPage)
        runOptionsStep(leftDown);
}
}  // namespace

// Drawn once per event; an empty queue leaves the last picture standing.
void runMenuFrame() {
    InputEvent event;
    while (readEvent(event)) {
        handleEvent(event);
        bool leftDown = readMouse();
        if (!leftDown) gameState.clickLatch = 0;
        // A fresh press ends the typing and still counts as a click below.
        if (gameState.nameEntryActive && gameState.clickLatch == 0 && leftDown) gameState.nameEntryActive = false;
        if (!gameState.nameEntryActive) applyEscapeRule();
        drawPass(leftDown);
        swapBuffers();
    }
}
