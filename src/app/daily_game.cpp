#include "app/daily_game.h"

#include "app/replay_recorder.h"
#include "game/game_screen.h"
#include "rules/config_file.h"
#include "rules/daily_deal.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "sound/sound_system.h"

namespace {
uint32_t (*realSecondsNow)() = nullptr;
void (*plainResults)(int mode) = nullptr;

uint32_t todaysSeed() { return dailySeed(realSecondsNow()); }

// The highscores of today's deal are TIMEATTACK's; after them, the player's own mode again.
void showDailyResults(int mode) {
    showGameResults = plainResults;
    if (plainResults) plainResults(mode);
    gameState.config.gameMode = modeChosenMeanwhile;
    modeChosenMeanwhile = 0;
}
}  // namespace

void startDailyGame(GameState& state) {
    modeChosenMeanwhile = state.config.gameMode;
    state.config.gameMode = TimeAttack;
    plainResults = showGameResults;
    showGameResults = showDailyResults;
    if (state.config.musicOn) {
        FSOUND_Stream_Stop(state.menuMusicStream);
        state.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, state.gameMusicStream);
    }
    // Only this game's seed is the day's; the games after it are seeded as always.
    realSecondsNow = seams.platform.secondsNow;
    seams.platform.secondsNow = todaysSeed;
    startNewGame(state);
    seams.platform.secondsNow = realSecondsNow;
    nameRecordedGameAt(realSecondsNow());
    state.screen = GameScreen;
    // A game begun from the menu has the rest of that pass and its sleep
    // before its first frame, and a replay's frames begin after that sleep.
    // Begun before the loop, this one sleeps too, or its first frame would
    // be played but never recorded.
    delayMs(0);
}
