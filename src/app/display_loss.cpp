#include "app/display_loss.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

#include "app/replay_recorder.h"
#include "rules/game_state.h"
#include "scores/highscore_table.h"

namespace {
bool keepScores = true;

int onDisplayLost(Display*) {
    if (keepScores) {
        if (gameState.screen == GameScreen) {
            finishRecordedGame();
            insertHighscore(gameState.config.gameMode);
        }
        saveHighscores();
    }
    std::fputs("quadrune: the display went away\n", stderr);
    _exit(1);
}
}  // namespace

void endWithTheDisplay(bool keepHighscores) {
    keepScores = keepHighscores;
    XSetIOErrorHandler(onDisplayLost);
}
