// How fast a replay is played again without a window ("frames_per_second"
// on one core), and how large replays come out ("bytes_per_minute"): the
// game recorded from the real binary, and bot games of ten minutes played
// through the same seams the game reads.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "rules/replay_file.h"
#include "rules/game_modes.h"
#include "bot_game.h"
#include "rules/replay_check.h"

namespace {
constexpr int kFramesPerMinute = 20 * 60;

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
    BotGameSettings game;
    game.mode = static_cast<int>(state.range(0));
    game.frames = 10 * kFramesPerMinute;
    verifyReplay(state, playBotGame(game));
}
BENCHMARK(BM_VerifyTenMinuteBotGame)->Arg(FreePlay)->Arg(TimeAttack)->Unit(benchmark::kMillisecond);

// For tools/replay_round_trip.sh: bot games of one to three minutes in every
// mode, written by one build and played again by another. With `minutes`,
// FREE PLAY games of that length that began an hour ago, for the server's
// benchmark.
int writeBotGames(const char* dir, int count, int minutes) {
    uint32_t hourAgo = uint32_t(std::time(nullptr)) - 3600;
    for (int i = 0; i < count; ++i) {
        BotGameSettings game;
        game.mode = minutes ? 1 : 1 + i % 4;
        game.seed = minutes ? hourAgo - uint32_t(i) : 1765115000u + uint32_t(i) * 7919u;
        game.frames = (minutes ? minutes : 1 + i % 3) * kFramesPerMinute;
        std::string path = std::string(dir) + "/bot-" + std::to_string(i) + ".qrp";
        if (!saveReplayFile(path.c_str(), playBotGame(game))) return std::fprintf(stderr, "cannot write %s\n", path.c_str()), 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--write-bot-games")
        return writeBotGames(argv[2], std::atoi(argv[3]), argc == 5 ? std::atoi(argv[4]) : 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
