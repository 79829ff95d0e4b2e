#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/startup.h"
#include "base/game_state.h"

int main(int argc, char** argv) {
    // Progress lines should reach a pipe as they happen, not at exit.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CommandLine line = readCommandLine(argc, argv);
    if (line.action != CommandLine::Play) return runWithoutWindow(line);
    std::atexit(SDL_Quit);
    runStartup(gameState, &argc, argv);
    runMainLoop(gameState);
    shutdownGame(gameState);
    return 0;
}
