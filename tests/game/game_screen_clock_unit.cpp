#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/game_state.h"
#include "game/game_clock.h"
#include "game/game_hud.h"
#include "game/game_screen.h"
#include "scripted_platform.h"

namespace {
class GameClock : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gameState.textures) initSceneVariables(gameState);
    }
    void newGame(int mode) {
        gameState.config.gameMode = mode;
        startNewGame(gameState);
    }
    // One frame's clock update, the tick counter standing at `now`.
    void frameAt(uint32_t now) {
        platform.ticks = now;
        advanceGameClock(gameState);
    }
    std::vector<std::string> clockTexts() {
        std::vector<std::string> texts;
        for (const HudLine& line : hudClockLines(gameState)) texts.push_back(line.text);
        return texts;
    }
    ScriptedPlatform platform;
};
}  // namespace

TEST_F(GameClock, FirstFrameCountsNothingAndShowsTheStartValues) {
    newGame(FreePlay);
    frameAt(5000);
    EXPECT_EQ(gameState.elapsedMs, 0u);
    EXPECT_EQ(gameState.lastTick, 5000u);
    EXPECT_EQ(clockTexts(), (std::vector<std::string>{"Time: 0", "Score per time: 0.0"}));
    gameState.blocksDestroyed = 57;
    auto score = hudScoreLines(gameState);
    ASSERT_EQ(score.size(), 2u);
    EXPECT_EQ(score[1].text, "Blocks destroyed: 57");
    // Before any time has counted the line shows the score itself.
    gameState.score = 120;
    EXPECT_EQ(clockTexts()[1], "Score per time: 120.0");
    EXPECT_EQ(hudScoreLines(gameState)[0].text, "Score: 120");
    frameAt(5050);
    EXPECT_EQ(clockTexts(), (std::vector<std::string>{"Time: 0", "Score per time: 2400.0"}));

    newGame(TimeAttack);
    frameAt(9000);
    EXPECT_EQ(gameState.timeLeftMs, 50000u);
    EXPECT_EQ(clockTexts(), (std::vector<std::string>{"Time: 0", "Time left: 10.0"}));
    // Every read of the tick counter sees a millisecond more, as on a real machine.
    platform.ticksPerRead = 1;
    frameAt(9050);
    EXPECT_EQ(gameState.elapsedMs, 50u);
    EXPECT_EQ(gameState.timeLeftMs, 49949u);
    EXPECT_EQ(gameState.lastTick, 9052u);
    EXPECT_EQ(clockTexts(), (std::vector<std::string>{"Time: 0", "Time left: 49.9"}));

    for (int mode : {Hardcore, HundredMoves}) {
        newGame(mode);
        frameAt(20000);
        frameAt(22500);
        EXPECT_EQ(clockTexts(), std::vector<std::string>{"Time: 2"}) << mode;
        EXPECT_EQ(gameState.timeLeftMs, 50000u) << "only TIMEATTACK counts down";
    }
}

TEST_F(GameClock, AMinuteOfPauseChangesNeitherClock) {
    newGame(TimeAttack);
    frameAt(1000);
    frameAt(1050);
    ASSERT_EQ(gameState.elapsedMs, 50u);
    ASSERT_EQ(gameState.timeLeftMs, 49950u);
    gameState.paused = 1;
    for (uint32_t now = 1100; now <= 61100; now += 50) frameAt(now);
    EXPECT_EQ(gameState.elapsedMs, 50u);
    EXPECT_EQ(gameState.timeLeftMs, 49950u);
    EXPECT_EQ(gameState.lastTick, 61100u);
    gameState.paused = 0;
    frameAt(61150);
    EXPECT_EQ(gameState.elapsedMs, 100u) << "the next frame counts only its own step";
    EXPECT_EQ(gameState.timeLeftMs, 49900u);

    // A single paused frame at the end of a long gap counts nothing either.
    gameState.paused = 1;
    frameAt(121150);
    gameState.paused = 0;
    frameAt(121200);
    EXPECT_EQ(gameState.elapsedMs, 150u);
}

TEST_F(GameClock, TheCountdownDrainsFasterEveryHundredSeconds) {
    for (auto [elapsed, factor] : {std::pair{0u, 1u}, {99999u, 1u}, {100000u, 2u}, {299999u, 3u}})
        EXPECT_EQ(drainFactor(elapsed), factor) << elapsed;
    newGame(TimeAttack);
    frameAt(1000);
    gameState.elapsedMs = 150000;
    gameState.timeLeftMs = 30000;
    frameAt(1050);
    EXPECT_EQ(gameState.timeLeftMs, 29900u) << "a 50 ms frame takes 100 ms after 150 s";
    EXPECT_EQ(gameState.elapsedMs, 150050u);

    // The factor is taken from the game time as just updated.
    gameState.elapsedMs = 99950;
    frameAt(1100);
    EXPECT_EQ(gameState.timeLeftMs, 29800u);
}

TEST_F(GameClock, AStepEqualToTheTimeLeftEndsTheGameAndKeepsTheLastValue) {
    newGame(TimeAttack);
    frameAt(1000);
    gameState.timeLeftMs = 51;
    frameAt(1050);
    EXPECT_FALSE(gameState.timeUp);
    EXPECT_EQ(gameState.timeLeftMs, 1u);
    gameState.timeLeftMs = 50;
    frameAt(1100);
    EXPECT_TRUE(gameState.timeUp);
    EXPECT_EQ(gameState.paused, 1);
    EXPECT_EQ(gameState.timeLeftMs, 50u) << "not brought to 0";
    EXPECT_EQ(gameState.elapsedMs, 100u);
    frameAt(5000);
    EXPECT_EQ(gameState.elapsedMs, 100u) << "an ended game's clock stands still";
}

TEST_F(GameClock, TheTickCounterWrappingCountsOnlyTheRealStep) {
    newGame(TimeAttack);
    frameAt(0xFFFFFFF0u);
    frameAt(0x20u);
    EXPECT_EQ(gameState.elapsedMs, 48u);
    EXPECT_EQ(gameState.timeLeftMs, 50000u - 48u);
}
