#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/replay_playback.h"
#include "app/replay_recorder.h"
#include "app/startup.h"
#include "base/game_state.h"

int main(int argc, char** argv) {
    // Progress lines should reach a pipe as they happen, not at exit.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CommandLine line = readCommandLine(argc, argv);
    bool watching = line.action == CommandLine::Watch;
    if (line.action != CommandLine::Play && !watching) return runWithoutWindow(line);
    Replay replay;
    if (watching && !loadWatchedReplay(line.file, replay)) return 1;
    std::atexit(SDL_Quit);
    runStartup(gameState, &argc, argv);
    if (watching)
        startPlayback(replay);
    else
        startRecordingGames();
    runMainLoop(gameState);
    shutdownGame(gameState, !watching);
    return 0;
}
