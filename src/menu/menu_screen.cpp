// Stand-in until the menu lands: it only answers a window close.
#include "menu/menu_screen.h"

#include <GL/gl.h>

#include "app/game_state.h"
#include "app/platform.h"

void runMenuFrame() {
    SDL_Event event;
    while (pollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            setKeyDown(kEscapeKey, 1);
            gameState.quitRequested = 1;
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        swapBuffers();
    }
}
