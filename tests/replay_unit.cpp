#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "app/replay_recorder.h"
#include "rules/game_state.h"
#include "rules/replay_file.h"
#include "rules/replay_check.h"
#include "scripted_seams.h"
#include "test_support.h"

// Replays as files: what goes in comes out, and nothing damaged gets through.
namespace {
Replay sampleReplay(unsigned seed, size_t frames) {
    std::mt19937 random(seed);
    Replay replay;
    replay.rulesVersion = kRulesVersion;
    replay.mode = 2;
    replay.seed = 1765115000u + seed;
    std::memcpy(replay.row.name, "PLAYER7", 7);
    replay.row.score = 150;
    replay.startColumn = 3, replay.startRow = 8, replay.heldKeys = {32, 276};
    uint32_t tick = 0xFFFFF000u;  // across the counter's wrap
    for (size_t i = 0; i < frames; ++i) {
        uint8_t readings = uint8_t(1 + random() % 3);
        replay.frames.tickCounts.push_back(readings);
        tick += 50 + random() % 3;
        for (uint8_t r = 0; r < readings; ++r) replay.frames.ticks.push_back(tick + r * (random() % 4));
        uint16_t events = random() % 10 == 0 ? uint16_t(1 + random() % 3) : 0;
        replay.frames.eventCounts.push_back(events);
        for (uint16_t e = 0; e < events; ++e)
            replay.frames.events.push_back({InputEvent::Kind(random() % (kLastInputKind + 1)), int(random() % 330) - 3});
    }
    for (InputEvent& e : replay.frames.events)
        if (e.kind == InputEvent::Quit || e.kind == InputEvent::Other || e.kind == InputEvent::FocusLost) e.symbol = 0;
    return replay;
}

std::string decodeFails(const std::vector<uint8_t>& bytes) {
    Replay replay;
    std::string why;
    return decodeReplay(bytes.data(), bytes.size(), replay, why) ? "" : why;
}
}  // namespace

TEST(ReplayFile, WhatIsWrittenIsReadBackWhole) {
    for (size_t frames : {size_t(0), size_t(1), size_t(12000)}) {
        Replay in = sampleReplay(unsigned(frames), frames), out;
        std::vector<uint8_t> bytes = encodeReplay(in);
        std::string why;
        ASSERT_TRUE(decodeReplay(bytes.data(), bytes.size(), out, why)) << why;
        EXPECT_EQ(std::memcmp(&in.row, &out.row, sizeof in.row), 0);
        EXPECT_EQ(std::make_tuple(out.mode, out.seed, out.rulesVersion), std::make_tuple(in.mode, in.seed, in.rulesVersion));
        EXPECT_EQ(std::make_tuple(out.startColumn, out.startRow, out.heldKeys), std::make_tuple(3, 8, in.heldKeys));
        EXPECT_EQ(out.frames.tickCounts, in.frames.tickCounts);
        EXPECT_EQ(out.frames.ticks, in.frames.ticks);
        EXPECT_EQ(out.frames.eventCounts, in.frames.eventCounts);
        ASSERT_EQ(out.frames.events.size(), in.frames.events.size());
        for (size_t i = 0; i < in.frames.events.size(); ++i)
            ASSERT_EQ(std::make_pair(out.frames.events[i].kind, out.frames.events[i].symbol),
                      std::make_pair(in.frames.events[i].kind, in.frames.events[i].symbol)) << i;
    }
}

TEST(ReplayFile, RefusesDamagedCutForeignAndUnknownFiles) {
    const std::vector<uint8_t> good = encodeReplay(sampleReplay(7, 400));
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> flipped = good;
        flipped[at] ^= 0x20;
        ASSERT_NE(decodeFails(flipped), "") << "a flipped byte at " << at;
    }
    for (size_t length = 0; length < good.size(); length += 7)
        ASSERT_NE(decodeFails({good.begin(), good.begin() + std::ptrdiff_t(length)}), "") << "cut to " << length;
    // Rewritten with a matching checksum, so only the field itself is wrong.
    auto forged = [&](const std::function<void(Replay&)>& edit) {
        Replay replay = sampleReplay(7, 400);
        edit(replay);
        return decodeFails(encodeReplay(replay));
    };
    EXPECT_EQ(forged([](Replay& r) { r.rulesVersion = 2; }), "rules version 2 is unknown");
    EXPECT_EQ(forged([](Replay& r) { r.frames.events[0].kind = InputEvent::Kind(kLastInputKind + 1); }),
              "an event of no known kind");
    std::vector<uint8_t> future = good;
    future[4] = 2;
    EXPECT_NE(decodeFails(future), "");
    EXPECT_EQ(decodeFails(std::vector<uint8_t>(kReplayMaxBytes + 1, 'Q')), "larger than 1 MiB");
    EXPECT_EQ(forged([](Replay& r) { r.frames.tickCounts[3] = 0; r.frames.ticks.erase(r.frames.ticks.begin()); }).substr(0, 7),
              "a frame");
}

namespace {
Replay committed(const char* name) {
    Replay replay;
    std::string why;
    EXPECT_TRUE(loadReplayFile((std::string(QUADRUNE_SOURCE_DIR "/tests/replays/") + name).c_str(), replay, why)) << why;
    return replay;
}
}  // namespace

// Games recorded from the real game, and by the bot for the other two modes:
// a change to the rules that alters play stops them ending as they did.
TEST(Replays, RecordedGamesPlayAgainToTheirRows) {
    const std::pair<const char*, const char*> games[] = {
        {"free-play-51s.qrp", "FREE PLAY VELMO: score 120, 3 blocks, 50.683 s"},
        {"time-attack-game-over.qrp", "TIMEATTACK VELMO: score 360, 12 blocks, 59.634 s"},
        {"hardcore-bot.qrp", "HARDCORE BOT: score 330, 12 blocks, 20.348 s"},
        {"hundred-moves-bot.qrp", "100 MOVES BOT: score 210, 6 blocks, 20.348 s"},
    };
    for (auto [name, result] : games) {
        Replay replay = committed(name);
        ReplayVerdict verdict = checkReplay(replay);
        EXPECT_TRUE(verdict.matches) << name << ": " << verdict.why;
        EXPECT_EQ(describeResult(replay.mode, verdict.row), result) << name;
        EXPECT_EQ(verdict.frames, replay.frames.size());
    }
}

// Played again without drawing, a game's glows are never aged away. They
// must not stay behind: the server checks game after game on the one board,
// and a watched game would open with the last check's glows.
TEST(Replays, CheckingLeavesNoGlowsBehind) {
    gameState.board.particles.clear();
    for (int round = 0; round < 3; ++round) {
        ReplayVerdict verdict = checkReplay(committed("time-attack-game-over.qrp"));
        ASSERT_TRUE(verdict.matches) << verdict.why;
        EXPECT_EQ(gameState.board.particles.size(), 0u) << "after check " << round;
    }
}

TEST(Replays, ForgedGamesAreRefusedWithTheirReason) {
    const Replay genuine = committed("time-attack-game-over.qrp");
    auto scaleTicks = [](Replay& r, double factor) {
        uint32_t first = r.frames.ticks.front();
        for (uint32_t& t : r.frames.ticks) t = first + uint32_t((t - first) * factor);
    };
    const std::pair<std::function<void(Replay&)>, const char*> forgeries[] = {
        {[](Replay& r) { r.row.score += 10; }, "played again it ends TIMEATTACK VELMO: score 360"},
        {[](Replay& r) { r.seed += 1; }, "played again it ends"},
        {[](Replay& r) { r.frames.tickCounts.push_back(1), r.frames.eventCounts.push_back(0), r.frames.ticks.push_back(r.frames.ticks.back() + 50); },
         "frames go on after the game ended"},
        {[](Replay& r) {
             ReplayFrames& f = r.frames;  // the frame with the Escape goes
             f.ticks.resize(f.ticks.size() - f.tickCounts.back()), f.events.resize(f.events.size() - f.eventCounts.back());
             f.tickCounts.pop_back(), f.eventCounts.pop_back();
         },
         "the game never ends"},
        {[](Replay& r) { r.frames.ticks[301] = r.frames.ticks[300] - 5; }, "the tick counter runs backwards in frame"},
        {[&](Replay& r) { scaleTicks(r, 0.97); }, "comes sooner than the game's 50 ms pace allows"},
        {[](Replay& r) {
             size_t at = 0;
             for (size_t frame = 0; frame < 40; ++frame) at += r.frames.tickCounts[frame];
             r.frames.ticks.erase(r.frames.ticks.begin() + std::ptrdiff_t(at) + 1,
                                  r.frames.ticks.begin() + std::ptrdiff_t(at) + r.frames.tickCounts[40]);
             r.frames.tickCounts[40] = 1;
         },
         "lacks the clock's readings"},
        {[](Replay& r) { r.mode = 9; }, "mode 9 is no game mode"},
    };
    for (const auto& [forge, reason] : forgeries) {
        Replay forged = genuine;
        forge(forged);
        std::vector<uint8_t> bytes = encodeReplay(forged);
        Replay read;
        std::string why;
        ASSERT_TRUE(decodeReplay(bytes.data(), bytes.size(), read, why)) << reason << ": " << why;
        ReplayVerdict verdict = checkReplay(read);
        EXPECT_FALSE(verdict.matches) << reason;
        EXPECT_NE(verdict.why.find(reason), std::string::npos) << verdict.why;
    }
    Replay endless = genuine;
    endless.frames.tickCounts.assign(kReplayMaxFrames + 1, 1);
    endless.frames.eventCounts.assign(kReplayMaxFrames + 1, 0);
    endless.frames.ticks.assign(kReplayMaxFrames + 1, 0);
    EXPECT_EQ(decodeFails(encodeReplay(endless)), "more than six hours of frames");
}

namespace {
// One short game through the recorder's seams, as the main loop drives them.
void recordGame(ScriptedPlatform& script, uint32_t seed, uint32_t score) {
    seedRand(seed);  // as a game begins
    for (int frame = 0; frame < 3; ++frame) {
        delayMs(50);  // a pass ends; the next begins a frame
        getTicks(), getTicks();
        script.ticks += 50;
    }
    gameState.score = score, gameState.elapsedMs = 100, gameState.blocksDestroyed = 0;
    finishRecordedGame();
}

std::vector<std::string> keptReplays() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("replays")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST(RecordedGames, KeepTheLast20AndEveryGameInTheTablesAndFailAlone) {
    ScriptedPlatform script;
    startRecordingGames();
    std::memset(&gameState.highscores, 0, sizeof gameState.highscores);
    gameState.config.gameMode = TimeAttack;
    std::memset(gameState.config.playerName, 0, sizeof gameState.config.playerName);
    std::memcpy(gameState.config.playerName, "KEEP", 4);
    // Two of the oldest games stand in the TIMEATTACK table: time in milliseconds, as played.
    for (uint32_t game : {1u, 3u}) {
        HighscoreEntry& row = gameState.highscores.tables[1].rows[game];
        std::memcpy(row.name, "KEEP", 4);
        row.score = game, row.time = 100;
    }
    for (uint32_t game = 0; game < 24; ++game) recordGame(script, 1700000000u + game * 86400u, game);
    recordGame(script, 1800000000u, 99);
    std::vector<std::string> kept = keptReplays();
    ASSERT_EQ(kept.size(), 22u);
    EXPECT_EQ(kept.front().substr(15), "-2-1.qrp") << "in the table";
    EXPECT_EQ(kept[1].substr(15), "-2-3.qrp") << "in the table";
    EXPECT_EQ(kept[2].substr(15), "-2-5.qrp") << "the oldest of the last 20";
    EXPECT_EQ(kept.back().substr(15), "-2-99.qrp");
    // Where no replay can be written the game goes on and nothing else is touched.
    std::filesystem::remove_all("replays");
    writeFileBytes("replays", {'x'});
    writeFileBytes("highscore.dat", {'h'});
    recordGame(script, 1800000100u, 7);
    EXPECT_EQ(readFileBytes("replays"), std::vector<unsigned char>{'x'});
    EXPECT_EQ(readFileBytes("highscore.dat"), std::vector<unsigned char>{'h'});
}
