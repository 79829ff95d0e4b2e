#include "menu/menu_screen.h"

#include <GL/gl.h>
#include <SDL.h>

#include "rules/game_state.h"
#include "rules/seams.h"
#include "sound/sound_system.h"
#include "game/game_screen.h"
#include "menu/key_selection.h"
#include "menu/menu_drawing.h"
#include "menu/name_entry.h"
#include "menu/options_page.h"

namespace {
MenuMove pendingMove = MenuMove::None;  // the key of the event being handled

// A controller's buttons act as the keys they stand for.
InputEvent asKeys(const InputEvent& event) {
    if (event.kind != InputEvent::ButtonDown && event.kind != InputEvent::ButtonUp) return event;
    InputEvent keys;
    keys.symbol = menuKeyForButton(event.symbol);
    if (keys.symbol >= 0) keys.kind = event.kind == InputEvent::ButtonDown ? InputEvent::KeyDown : InputEvent::KeyUp;
    return keys;
}

void handleEvent(const InputEvent& event) {
    pendingMove = MenuMove::None;
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
            if (gameState.nameEntryActive) {
                handleNameEntryKey(event.symbol);
            } else {
                setKeyDown(event.symbol, 1);
                pendingMove = menuMoveFor(event.symbol);
            }
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

// Up and down go round the items as they stand on the screen, top first.
unsigned movedItem(unsigned item, MenuMove move) {
    constexpr unsigned kOrder[] = {PlayItem, OptionsItem, ExitItem};
    unsigned at = 0;
    while (at < 2 && kOrder[at] != item) ++at;
    if (move == MenuMove::Down) return kOrder[(at + 1) % 3];
    if (move == MenuMove::Up) return kOrder[(at + 2) % 3];
    return item;
}

// The item a key chose, after moving the highlight as it asked. The first
// key shows the highlight where the pointer's was, without moving it.
unsigned keyChoice(MenuMove move, unsigned hit) {
    if (move == MenuMove::None) return NoMenuItem;
    if (keySelection.shown)
        keySelection.mainItem = movedItem(keySelection.mainItem, move);
    else if (hit >= ExitItem && hit <= OptionsItem)
        keySelection.mainItem = hit;
    showKeySelection();
    return move == MenuMove::Choose ? keySelection.mainItem : NoMenuItem;
}

// A press carried over from the other page (the <DONE> row lies across the
// exit item, the options item across the first option rows) waits for its
// release, so one press never acts on both pages.
void runMainMenuStep(bool leftDown, MenuMove move) {
    drawMenuItems(0);
    unsigned hit = pickMenuItem();
    unsigned chosen = keyChoice(move, hit);
    if (leftDown && gameState.clickLatch == 0 && chosen == NoMenuItem) chosen = hit;
    if (chosen == PlayItem) startGameFromMenu();
    if (chosen == ExitItem) {
        FSOUND_PlaySound(FSOUND_FREE, gameState.menuClickSample);
        gameState.quitRequested = 1;
    }
    if (chosen == OptionsItem) {
        FSOUND_PlaySound(FSOUND_FREE, gameState.menuClickSample);
        gameState.menuPage = OptionsPage;
        gameState.clickLatch = 1;
    }
    unsigned highlight = keySelection.shown ? keySelection.mainItem : hit;
    if (highlight >= ExitItem && highlight <= OptionsItem) drawMenuItems(highlight);
}

void drawPass(bool leftDown) {
    glMatrixMode(GL_MODELVIEW);
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMenuBackground();
    if (gameState.menuPage == MainMenuPage)
        runMainMenuStep(leftDown, pendingMove);
    else if (gameState.menuPage == OptionsPage)
        runOptionsStep(leftDown, pendingMove);
}
}  // namespace

// Drawn once per event; an empty queue leaves the last picture standing.
void runMenuFrame() {
    InputEvent event;
    while (readEvent(event)) {
        handleEvent(asKeys(event));
        bool leftDown = readMouse();
        followPointer();
        if (!leftDown) gameState.clickLatch = 0;
        // A fresh press ends the typing and still counts as a click below.
        if (gameState.nameEntryActive && gameState.clickLatch == 0 && leftDown) gameState.nameEntryActive = false;
        if (!gameState.nameEntryActive) applyEscapeRule();
        drawPass(leftDown);
        swapBuffers();
    }
}
