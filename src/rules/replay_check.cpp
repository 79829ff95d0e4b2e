#include "rules/replay_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "rules/config_file.h"
#include "rules/game_random.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/replay_file.h"
#include "rules/game_clock.h"
#include "rules/game_keys.h"
#include "rules/game_result.h"
#include "rules/game_round.h"

namespace {

// The readings of one frame, handed out as the clock asks for them.
struct TickFeed {
    const uint32_t* next = nullptr;
    const uint32_t* end = nullptr;
    uint32_t last = 0;
    bool ranOut = false;
};
TickFeed feed;
GameRandom replayRandom;

uint32_t fedTicks() {
    if (feed.next == feed.end) return feed.ranOut = true, feed.last;
    return feed.last = *feed.next++;
}

void prepareState(const Replay& replay) {
    GameState& state = gameState;
    state.boardColumns = 6;
    state.boardRows = 9;
    state.soundEnabled = 0;
    std::memset(&state.config, 0, sizeof state.config);
    state.config.validMarker = 'Y';
    takeOverReplayStart(state, replay);
}

// The main loop begins a pass at most every 50 ms. The tick counter and the
// sleep may follow clocks a little apart (the kernel slews one), so over any
// stretch of frames the passes may come 0.1 % sooner and one tick early, never
// more: a game run faster than its clock, or a clock slowed under it, drifts
// past that within seconds.
struct Pace {
    int64_t frames = 0;
    uint32_t firstTick = 0;
    int64_t highest = 0;  // of 1000 x elapsed ticks - 49950 x frames
    bool keep(uint32_t startTick) {
        if (frames++ == 0) firstTick = startTick;
        int64_t lead = 1000 * int64_t(int32_t(startTick - firstTick)) - 49950 * (frames - 1);
        if (lead < highest - 1000) return false;
        highest = std::max(highest, lead);
        return true;
    }
};

// False with the reason when a frame's readings run backwards, within the
// frame or from the frame before, or come sooner than the main loop's pace allows.
bool checkPace(const uint32_t* ticks, size_t count, size_t frame, Pace& pace, std::string& why) {
    for (size_t i = frame == 0 ? 1 : 0; i < count; ++i)
        if (int32_t(ticks[i] - ticks[int(i) - 1]) < 0)
            return why = "the tick counter runs backwards in frame " + std::to_string(frame), false;
    if (!pace.keep(ticks[0]))
        return why = "frame " + std::to_string(frame) + " comes sooner than the game's 50 ms pace allows", false;
    return true;
}

ReplayVerdict fail(ReplayVerdict verdict, std::string why) {
    verdict.why = std::move(why);
    return verdict;
}
}  // namespace

void takeOverReplayStart(GameState& state, const Replay& replay) {
    std::memset(state.config.playerName, 0, sizeof state.config.playerName);
    std::memcpy(state.config.playerName, replay.row.name, sizeof state.config.playerName);
    state.config.gameMode = replay.mode;
    std::memset(state.keyDown, 0, sizeof state.keyDown);
    for (int key : replay.heldKeys) setKeyDown(key, 1);
    state.cursorColumn = replay.startColumn;
    state.cursorRow = replay.startRow;
}

namespace {
ReplayVerdict playAgain(const Replay& replay) {
    ReplayVerdict verdict;
    if (!modeFacts(replay.mode)) return fail(verdict, "mode " + std::to_string(replay.mode) + " is no game mode");
    if (replay.startColumn < 0 || replay.startColumn > 4 || replay.startRow < 0 || replay.startRow > 8)
        return fail(verdict, "the cursor starts outside the board");
    SeamOverride restore;
    seams.platform.random = [] { return replayRandom.next(); };
    seams.platform.seedRandom = [](unsigned seed) { replayRandom.seed(seed); };
    seams.platform.getTicks = fedTicks;
    prepareState(replay);
    beginGame(gameState, replay.seed);

    const ReplayFrames& f = replay.frames;
    size_t tickAt = 0, eventAt = 0;
    Pace pace;
    for (size_t frame = 0; frame < f.size(); ++frame) {
        verdict.frames = frame + 1;
        const uint32_t* ticks = f.ticks.data() + tickAt;
        size_t count = f.tickCounts[frame];
        tickAt += count;
        if (!checkPace(ticks, count, frame, pace, verdict.why)) return verdict;
        feed = TickFeed{ticks + 1, ticks + count, ticks[0], false};
        for (size_t e = 0; e < f.eventCounts[frame]; ++e) applyGameEvent(gameState, f.events[eventAt++]);
        if (readGameKeys(gameState).leave) {
            if (frame + 1 != f.size()) return fail(verdict, "frames go on after the game ended");
            verdict.row = gameResultRow(gameState);
            verdict.matches = std::memcmp(&verdict.row, &replay.row, sizeof verdict.row) == 0;
            if (!verdict.matches) verdict.why = "played again it ends " + describeResult(replay.mode, verdict.row);
            return verdict;
        }
        advanceBoard(gameState);
        advanceGameClock(gameState);
        if (feed.ranOut) return fail(verdict, "frame " + std::to_string(frame) + " lacks the clock's readings");
    }
    return fail(verdict, "the game never ends");
}
}  // namespace

ReplayVerdict checkReplay(const Replay& replay) {
    ReplayVerdict verdict = playAgain(replay);
    // Only drawing ages the glows away, and nothing was drawn: left, they
    // would pile up check after check and open a watched game.
    gameState.board.particles.clear();
    return verdict;
}

std::string describeResult(int mode, const HighscoreEntry& row) {
    char name[sizeof row.name + 1];
    copyNameField(row.name, sizeof row.name, name, sizeof name);
    const char* modeName = gameModeName(mode);
    char line[160];
    std::snprintf(line, sizeof line, "%s %s: score %u, %d blocks, %u.%03u s", modeName ? modeName : "?", name, row.score,
                  row.blocksDestroyed, row.time / 1000, row.time % 1000);
    return line;
}
