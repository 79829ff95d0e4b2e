#include <gtest/gtest.h>

#include <vector>

#include "board_fixture.h"
#include "game/board_rules.h"
#include "game/particles.h"
#include "scripted_platform.h"

namespace {
class Particles : public ::testing::Test {
protected:
    void SetUp() override { resetBoardForTest(); }
    ScriptedPlatform platform;
    Board& board = gameState.board;
};

// One game frame as far as glows go: the drawing sees the list, then ages
// it; the rules run afterwards and may spawn new glows.
struct Frame {
    std::vector<Particle> drawn;
    float flashDrawn = -1.0f;  // below zero: not drawn
};

Frame drawAndAge() {
    Frame f;
    for (size_t i = gameState.board.particles.size(); i-- > 0;) f.drawn.push_back(gameState.board.particles[i]);
    if (gameState.board.flash > 0.0f) f.flashDrawn = gameState.board.flash;
    ageParticles(gameState.board);
    return f;
}
}  // namespace

TEST_F(Particles, AGlowSitsOnItsBlockWithOneOfFourPictures) {
    platform.randomValues = {0, 1, 2, 3, 4, 7, 13};
    const int expected[] = {8, 9, 10, 11, 8, 11, 9};
    for (int i = 0; i < 7; ++i) spawnParticle(board, 2.0f, 3.0f);
    ASSERT_EQ(board.particles.size(), 7u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(board.particles[i].textureSlot, expected[i]);
    EXPECT_EQ(board.particles[0].alpha, 1.0f);
}

TEST_F(Particles, AGlowBornInAFrameIsDrawnInTheNextTenAndRemovedInTheTenth) {
    layBlocks({"111..."});
    const int born = 5;
    std::vector<Frame> frames;
    for (int frame = 0; frame <= 17; ++frame) {
        frames.push_back(drawAndAge());
        if (frame == born) resolveRuns(board);
    }
    for (int frame = 0; frame <= born; ++frame) EXPECT_TRUE(frames[frame].drawn.empty()) << frame;
    for (int frame = born + 1; frame <= born + 10; ++frame) {
        ASSERT_EQ(frames[frame].drawn.size(), 3u) << frame;
        int age = frame - born - 1;
        EXPECT_NEAR(frames[frame].drawn[0].alpha, 1.0f - 0.1f * age, 1e-5);
        EXPECT_NEAR(frames[frame].drawn[0].size, 0.1f * age, 1e-5);
    }
    EXPECT_EQ(frames[born + 1].drawn[0].size, 0.0f);
    EXPECT_TRUE(frames[born + 11].drawn.empty());
    EXPECT_TRUE(board.particles.empty());
    // The flash of the three blocks: three steps of 0.2 in single precision
    // sit just above 0.6, so a seventh, invisible drawing at about 1.5e-8 follows.
    int flashes = 0;
    for (const Frame& f : frames) flashes += f.flashDrawn > 0.0f ? 1 : 0;
    EXPECT_EQ(flashes, 7);
    EXPECT_NEAR(frames[born + 7].flashDrawn, 0.0f, 1e-6);
    EXPECT_NEAR(frames[born + 1].flashDrawn, 0.6f, 1e-6);
}

TEST_F(Particles, TheFlashOfANewGameIsDrawnTenTimes) {
    board.flash = 1.0f;
    std::vector<float> drawn;
    for (int frame = 0; frame < 15; ++frame) {
        Frame f = drawAndAge();
        if (f.flashDrawn > 0.0f) drawn.push_back(f.flashDrawn);
    }
    ASSERT_EQ(drawn.size(), 10u);
    EXPECT_NEAR(drawn.back(), 0.1f, 1e-6);
    EXPECT_LT(board.flash, 0.0f);
    EXPECT_GT(board.flash, -1e-6f);  // ten single-precision steps end just below zero

    board.flash = 0.05f;
    EXPECT_GT(drawAndAge().flashDrawn, 0.0f);
    EXPECT_LT(drawAndAge().flashDrawn, 0.0f);
    EXPECT_NEAR(board.flash, -0.05f, 1e-6);
}

TEST_F(Particles, OlderGlowsLeaveAFrameBeforeYoungerOnes) {
    spawnParticle(board, 0.0f, 0.0f);  // frame 0
    drawAndAge();
    spawnParticle(board, 1.0f, 0.0f);  // frame 1
    spawnParticle(board, 2.0f, 0.0f);
    for (int frame = 2; frame <= 10; ++frame) drawAndAge();
    ASSERT_EQ(board.particles.size(), 2u);
    EXPECT_FLOAT_EQ(board.particles[0].x, 0.21f);
    EXPECT_FLOAT_EQ(board.particles[1].x, 0.42f);
    EXPECT_NEAR(board.particles[0].alpha, 0.1f, 1e-5);
    Frame last = drawAndAge();
    EXPECT_EQ(last.drawn.size(), 2u);
    EXPECT_TRUE(board.particles.empty());
}
