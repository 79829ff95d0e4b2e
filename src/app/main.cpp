#include <SDL.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/daily_game.h"
#include "app/display_loss.h"
#include "app/replay_playback.h"
#include "app/replay_recorder.h"
#include "app/startup.h"
#include "rules/game_state.h"
#include "rules/seams.h"

int main(int argc, char** argv) {
    // Progress lines should reach a pipe as they happen, not at exit.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CommandLine line = readCommandLine(argc, argv);
    bool watching = line.action == CommandLine::Watch;
    if (line.action != CommandLine::Play && !watching) return runWithoutWindow(line);
    Replay replay;
    if (watching && !loadWatchedReplay(line.file, replay)) return 1;
    std::atexit(SDL_Quit);
    // A logout ends the game with its result kept, not with a screen left waiting.
    struct sigaction ending {};
    ending.sa_handler = requestEnd;
    ending.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &ending, nullptr);
    sigaction(SIGHUP, &ending, nullptr);
    runStartup(gameState, &argc, argv);
    endWithTheDisplay(!watching);
    if (watching)
        startPlayback(replay);
    else
        startRecordingGames();
    if (line.daily) startDailyGame(gameState);
    runMainLoop(gameState);
    shutdownGame(gameState, !watching);
    return 0;
}
