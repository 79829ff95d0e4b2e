#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board_fixture.h"
#include "game/board_rules.h"
#include "recording_sound.h"
#include "scripted_platform.h"

namespace {
class BoardScoring : public ::testing::Test {
protected:
    void SetUp() override { resetBoardForTest(); }
    ScriptedPlatform platform;
    RecordingSound sound;
    Board& board = gameState.board;
    char boomHandle = 0;

    std::vector<std::pair<float, float>> particlePlaces() const {
        std::vector<std::pair<float, float>> out;
        for (const Particle& p : gameState.board.particles) out.push_back({p.x, p.y});
        return out;
    }
    int booms() const {
        int n = 0;
        for (const auto& call : sound.calls) n += call.rfind("PlaySound -1 ", 0) == 0 ? 1 : 0;
        return n;
    }
};

std::pair<float, float> place(int column, int row) { return {column * 0.21f, (9 - row) * 0.21f}; }
}  // namespace

TEST_F(BoardScoring, ARunAddsPointsCountsAndTimeInWholeMilliseconds) {
    gameState.config.gameMode = TimeAttack;
    awardRun(board, 3, 1);
    EXPECT_EQ(gameState.score, 30u);
    EXPECT_EQ(gameState.timeLeftMs, 51800u);
    EXPECT_EQ(gameState.removedByKind[1], 3);

    gameState.timeLeftMs = 0;
    awardRun(board, 11, 2);
    EXPECT_EQ(gameState.timeLeftMs, 7700u);
    gameState.timeLeftMs = 0;
    awardRun(board, 4, 5);
    EXPECT_EQ(gameState.timeLeftMs, 4000u);
    // Every reachable size and kind gives n x 500 x (1 + kind / 5) exactly.
    for (int n = 3; n <= 30; ++n)
        for (int kind = 1; kind <= 6; ++kind) {
            gameState.timeLeftMs = 0;
            awardRun(board, n, kind);
            EXPECT_EQ(gameState.timeLeftMs * 5u, static_cast<uint32_t>(n * 500 * (5 + kind))) << n << " " << kind;
        }

    resetBoardForTest();
    awardRun(board, 5, 4);
    EXPECT_EQ(gameState.score, 200u);
    EXPECT_EQ(gameState.timeLeftMs, 50000u) << "no time bonus outside TIMEATTACK";
    awardRun(board, 0, 3);
    EXPECT_EQ(gameState.score, 200u);

    // A kind beyond the counters (a damaged cell) must not spill into the
    // fields stored after them.
    awardRun(board, 3, 10);
    awardRun(board, 3, -1);
    EXPECT_EQ(gameState.timeLeftMs, 50000u);
    EXPECT_EQ(gameState.score, 200u + 300u - 30u);
}

TEST_F(BoardScoring, DestroyingARunScoresSpawnsGlowsFlashesAndBooms) {
    gameState.config.gameMode = TimeAttack;
    gameState.soundEnabled = 1;
    gameState.boomSample = reinterpret_cast<FSOUND_SAMPLE*>(&boomHandle);
    layBlocks({"111.2."});
    resolveRuns(board);
    EXPECT_EQ(gameState.score, 30u);
    EXPECT_EQ(gameState.timeLeftMs, 51800u);
    EXPECT_EQ(gameState.removedByKind[1], 3);
    EXPECT_EQ(gameState.blocksDestroyed, 3);
    EXPECT_EQ(gameState.pendingDrops, 3);
    EXPECT_EQ(boardPicture().substr(7 * 8), "....2.\n");
    EXPECT_EQ(particlePlaces(), (std::vector<std::pair<float, float>>{place(0, 8), place(1, 8), place(2, 8)}));
    EXPECT_FLOAT_EQ(board.flash, 0.6f);
    ASSERT_EQ(sound.calls.size(), 1u);
    EXPECT_EQ(sound.calls[0], "PlaySound -1 " + std::to_string(reinterpret_cast<uintptr_t>(&boomHandle)));

    // Without sound nothing is played, the rest is the same.
    resetBoardForTest();
    sound.calls.clear();
    layBlocks({"333..."});
    resolveRuns(board);
    EXPECT_EQ(gameState.score, 90u);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(BoardScoring, AnLCountsItsCornerTwice) {
    layBlocks({"2.....", "2.....", "222..."});
    resolveRuns(board);
    EXPECT_EQ(gameState.score, 120u);
    EXPECT_EQ(gameState.blocksDestroyed, 6);
    EXPECT_EQ(gameState.pendingDrops, 6);
    EXPECT_EQ(gameState.removedByKind[2], 6);
    EXPECT_EQ(blocksOnBoard(), 0);
    ASSERT_EQ(board.particles.size(), 6u);
    int atCorner = 0;
    for (const auto& p : particlePlaces()) atCorner += p == place(0, 8) ? 1 : 0;
    EXPECT_EQ(atCorner, 2);
    EXPECT_NEAR(board.flash, 1.2f, 1e-6);
}

TEST_F(BoardScoring, ASecondCrossingRunStaysWhenTooFewOfItAreLeft) {
    layBlocks({".5.5..", ".5.5..", "55555."});
    resolveRuns(board);
    EXPECT_EQ(gameState.score, 8u * 5 * 10);
    EXPECT_EQ(boardPicture().substr(7 * 6), "...5..\n...5..\n......\n");
    EXPECT_EQ(board.particles.size(), 8u);
}

TEST_F(BoardScoring, RunsAreTakenRowByRowAndLeftToRight) {
    // A column run starting in row 2 of column 0, and a row run in row 0;
    // then two column runs that both start in row 6.
    layBlocks({"..222.", "......", "1.....", "1.....", "1.....", "......", ".3..4.", ".3..4.", ".3..4."});
    gameState.soundEnabled = 1;
    gameState.boomSample = reinterpret_cast<FSOUND_SAMPLE*>(&boomHandle);
    resolveRuns(board);
    std::vector<std::pair<float, float>> expected{place(2, 0), place(3, 0), place(4, 0), place(0, 2),
                                                  place(0, 3), place(0, 4), place(1, 6), place(1, 7),
                                                  place(1, 8), place(4, 6), place(4, 7), place(4, 8)};
    EXPECT_EQ(particlePlaces(), expected);
    EXPECT_EQ(booms(), 4);
    EXPECT_EQ(gameState.score, 3u * (2 + 1 + 3 + 4) * 10);
    EXPECT_EQ(blocksOnBoard(), 0);
}
