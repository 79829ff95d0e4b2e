#include "menu/key_selection.h"

#include <SDL.h>

#include "rules/game_state.h"
#include "rules/pad_buttons.h"

KeySelection keySelection;

int menuKeyForButton(int button) {
    switch (button) {
        case kPadSouth:
        case kPadStart: return SDLK_RETURN;
        case kPadEast:
        case kPadBack: return SDLK_ESCAPE;
        case kPadUp: return SDLK_UP;
        case kPadDown: return SDLK_DOWN;
        case kPadLeft: return SDLK_LEFT;
        case kPadRight: return SDLK_RIGHT;
        default: return -1;
    }
}

MenuMove menuMoveFor(int key) {
    switch (key) {
        case SDLK_UP: return MenuMove::Up;
        case SDLK_DOWN: return MenuMove::Down;
        case SDLK_LEFT: return MenuMove::Left;
        case SDLK_RIGHT: return MenuMove::Right;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return MenuMove::Choose;
        default: return MenuMove::None;
    }
}

void showKeySelection() {
    keySelection.shown = true;
    keySelection.mouseX = gameState.mouseX;
    keySelection.mouseY = gameState.mouseY;
}

void followPointer() {
    if (gameState.mouseX != keySelection.mouseX || gameState.mouseY != keySelection.mouseY) keySelection.shown = false;
}
