// How fast a replay is played again without a window ("frames_per_second"
// on one core), and how large replays come out ("bytes_per_minute"): the
// game recorded from the real binary, and bot games of ten minutes played
// through the same seams the game reads.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/game_random.h"
#include "base/game_state.h"
#include "base/platform.h"
#include "base/replay_file.h"
#include "game/game_clock.h"
#include "game/game_keys.h"
#include "game/game_result.h"
#include "game/game_round.h"
#include "game/replay_check.h"

namespace {
constexpr int kFramesPerMinute = 20 * 60;

// A player that swaps where it can and wanders otherwise, on a clock that
// keeps the 50 ms pace with a little jitter, until Escape after `minutes`.
struct BotGame {
    Replay replay;
    uint32_t now = 1000000;
    GameRandom moves{99};
    static BotGame* current;
    static uint32_t ticks() {
        ReplayFrames& f = current->replay.frames;
        f.ticks.push_back(current->now), ++f.tickCounts.back();
        return current->now;
    }
    void press(int key) { replay.frames.events.push_back({InputEvent::KeyDown, key}), ++replay.frames.eventCounts.back(); }
    void release(int key) { replay.frames.events.push_back({InputEvent::KeyUp, key}), ++replay.frames.eventCounts.back(); }

    explicit BotGame(int mode, uint32_t seed, int minutes) {
        current = this;
        static GameRandom generator;
        SeamOverride restore;
        seams.platform.random = [] { return generator.next(); };
        seams.platform.seedRandom = [](unsigned s) { generator.seed(s); };
        seams.platform.getTicks = ticks;
        initSceneVariables(gameState);
        gameState.soundEnabled = 0;
        gameState.config.gameMode = mode;
        std::memcpy(gameState.config.playerName, "BOT", 4);
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
        replay = Replay{kRulesVersion, mode, seed, {}, 0, 0, {}, {}};
        beginGame(gameState, seed);
        const int keys[] = {kKeySpace, kKeySpace, kKeyLeft, kKeyRight, kKeyUp, kKeyDown};
        int held = 0;
        for (int frame = 0;; ++frame) {
            replay.frames.tickCounts.push_back(0), replay.frames.eventCounts.push_back(0);
            ticks();  // the main loop's start of the pass
            if (held) release(held), held = 0;
            else if (moves.next() % 3 == 0) press(held = keys[moves.next() % 6]);
            if (frame == minutes * kFramesPerMinute) press(kEscapeKey);
            for (size_t e = replay.frames.events.size() - replay.frames.eventCounts.back(); e < replay.frames.events.size(); ++e)
                applyGameEvent(gameState, replay.frames.events[e]);
            if (readGameKeys(gameState).leave) break;
            advanceBoard(gameState);
            now += 2;  // the frame's drawing
            advanceGameClock(gameState);
            now += 48 + moves.next() % 3;
        }
        replay.row = gameResultRow(gameState);
    }
};
BotGame* BotGame::current = nullptr;

void verifyReplay(benchmark::State& state, const Replay& replay) {
    size_t frames = 0;
    for (auto _ : state) {
        ReplayVerdict verdict = checkReplay(replay);
        if (!verdict.matches) state.SkipWithError(verdict.why.c_str());
        frames += verdict.frames;
    }
    state.counters["frames_per_second"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    double minutes = double(replay.frames.size()) / kFramesPerMinute;
    state.counters["bytes_per_minute"] = double(encodeReplay(replay).size()) / minutes;
}

void BM_VerifyRecordedGame(benchmark::State& state) {
    Replay replay;
    std::string why;
    if (!loadReplayFile(QUADRUNE_SOURCE_DIR "/tests/replays/time-attack-game-over.qrp", replay, why))
        return state.SkipWithError(why.c_str());
    verifyReplay(state, replay);
}
BENCHMARK(BM_VerifyRecordedGame)->Unit(benchmark::kMillisecond);

void BM_VerifyTenMinuteBotGame(benchmark::State& state) {
    BotGame game(static_cast<int>(state.range(0)), 1765115000u, 10);
    verifyReplay(state, game.replay);
}
BENCHMARK(BM_VerifyTenMinuteBotGame)->Arg(FreePlay)->Arg(TimeAttack)->Unit(benchmark::kMillisecond);

// For tools/replay_round_trip.sh: bot games of one to three minutes in every
// mode, written by one build and played again by another.
int writeBotGames(const char* dir, int count) {
    for (int i = 0; i < count; ++i) {
        BotGame game(1 + i % 4, 1765115000u + uint32_t(i) * 7919u, 1 + i % 3);
        std::string path = std::string(dir) + "/bot-" + std::to_string(i) + ".qrp";
        if (!saveReplayFile(path.c_str(), game.replay)) return std::fprintf(stderr, "cannot write %s\n", path.c_str()), 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--write-bot-games") return writeBotGames(argv[2], std::atoi(argv[3]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
