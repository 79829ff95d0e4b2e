#include "bot_game.h"

#include <cstring>

#include "rules/game_random.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/game_clock.h"
#include "rules/game_keys.h"
#include "rules/game_result.h"
#include "rules/game_round.h"

namespace {
struct Bot {
    Replay replay;
    uint32_t now = 1000000;
    GameRandom moves{99};
    void press(int key) { replay.frames.events.push_back({InputEvent::KeyDown, key}), ++replay.frames.eventCounts.back(); }
    void release(int key) { replay.frames.events.push_back({InputEvent::KeyUp, key}), ++replay.frames.eventCounts.back(); }
};
thread_local Bot* current = nullptr;
thread_local GameRandom generator;

uint32_t botTicks() {
    ReplayFrames& f = current->replay.frames;
    f.ticks.push_back(current->now), ++f.tickCounts.back();
    return current->now;
}
}  // namespace

Replay playBotGame(const BotGameSettings& settings) {
    Bot bot;
    current = &bot;
    SeamOverride restore;
    seams.platform.random = [] { return generator.next(); };
    seams.platform.seedRandom = [](unsigned s) { generator.seed(s); };
    seams.platform.getTicks = botTicks;
    initSceneVariables(gameState);
    gameState.soundEnabled = 0;
    gameState.config.gameMode = settings.mode;
    std::memset(gameState.config.playerName, 0, sizeof gameState.config.playerName);
    std::strncpy(gameState.config.playerName, settings.name, sizeof gameState.config.playerName - 1);
    std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
    bot.replay = Replay{kRulesVersion, settings.mode, settings.seed, {}, 0, 0, {}, {}};
    beginGame(gameState, settings.seed);
    const int keys[] = {kKeySpace, kKeySpace, kKeyLeft, kKeyRight, kKeyUp, kKeyDown};
    int held = 0;
    for (int frame = 0;; ++frame) {
        ReplayFrames& f = bot.replay.frames;
        f.tickCounts.push_back(0), f.eventCounts.push_back(0);
        botTicks();  // the main loop's start of the pass
        if (held) bot.release(held), held = 0;
        else if (bot.moves.next() % 3 == 0) bot.press(held = keys[bot.moves.next() % 6]);
        if (frame == settings.frames) bot.press(kEscapeKey);
        for (size_t e = f.events.size() - f.eventCounts.back(); e < f.events.size(); ++e) applyGameEvent(gameState, f.events[e]);
        if (readGameKeys(gameState).leave) break;
        advanceBoard(gameState);
        bot.now += 2;  // the frame's drawing
        advanceGameClock(gameState);
        bot.now += settings.frameMs - 2 + bot.moves.next() % 3;
    }
    bot.replay.row = gameResultRow(gameState);
    current = nullptr;
    return bot.replay;
}
