#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "base/game_state.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    // Progress lines should reach a pipe as they happen, not at exit.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::atexit(SDL_Quit);
    runStartup(gameState, &argc, argv);
    runMainLoop(gameState);
    shutdownGame(gameState);
    return 0;
}
