#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>

#include "board_fixture.h"
#include "board_gl_scene.h"
#include "game/board_drawing.h"
#include "game/particles.h"
#include "scripted_platform.h"

namespace {
class ParticlesDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(openBoardGlScene());
        resetBoardForTest();
        beginBoardFrame();
    }
    ScriptedPlatform platform;  // glows take slot 8, the white picture
    Board& board = gameState.board;
};

float cellX(int column) { return column * 0.21f; }
float cellY(int row) { return (9 - row) * 0.21f; }
}  // namespace

TEST_F(ParticlesDrawing, AGlowGrowsAroundItsBlockAndAddsItsLight) {
    spawnParticle(board, 2.0f, 4.0f);
    for (int frame = 0; frame < 5; ++frame) ageParticles(board);  // alpha 0.5, half-edge 0.5
    drawParticles(board);
    float x = cellX(2), y = cellY(4), s = 0.5f;
    PixelBox expected = projectedBox({x - s, y - s, 0.0f, x + s, y + s, 0.0f});
    PixelBox grey = boxOfColour({128, 128, 128}, 3);
    ASSERT_TRUE(grey.found());
    EXPECT_NEAR(grey.left, expected.left, 1);
    EXPECT_NEAR(grey.right, expected.right, 1);
    EXPECT_NEAR(grey.bottom, expected.bottom, 1);
    EXPECT_NEAR(grey.top, expected.top, 1);
    EXPECT_NEAR(board.particles[0].alpha, 0.4f, 1e-5);
    // The rest of the frame draws with blending off, depth testing and texturing on.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(ParticlesDrawing, AGlowShinesOverTheBlockItReplaces) {
    glEnable(GL_TEXTURE_2D);
    putBlock(2, 4, 3);
    drawBoard(board);
    spawnParticle(board, 2.0f, 4.0f);
    ageParticles(board);  // alpha 0.9, half-edge 0.1: inside the cube, yet drawn on top
    drawParticles(board);
    PixelBox centre = projectedBox({cellX(2), cellY(4), 0.0f});
    Colour c = pixelAt(centre.left, centre.bottom);
    EXPECT_NEAR(c.r, 230, 2);
    EXPECT_NEAR(c.g, 230, 2);
    EXPECT_EQ(c.b, 255);
}

TEST_F(ParticlesDrawing, PausedGlowsAndFlashAreDrawnButHeld) {
    spawnParticle(board, 2.0f, 4.0f);
    for (int frame = 0; frame < 5; ++frame) ageParticles(board);
    gameState.paused = 1;
    for (int frame = 0; frame < 3; ++frame) {
        beginBoardFrame();
        drawParticles(board);
        EXPECT_TRUE(boxOfColour({128, 128, 128}, 3).found()) << frame;
    }
    EXPECT_NEAR(board.particles[0].alpha, 0.5f, 1e-6);

    board.particles.clear();
    board.flash = 0.5f;
    for (int frame = 0; frame < 3; ++frame) {
        beginBoardFrame();
        drawParticles(board);
        // The flash brightens the whole view by its value.
        for (auto [x, y] : {std::pair{0, 0}, {639, 479}, {320, 240}}) {
            Colour c = pixelAt(x, y);
            EXPECT_NEAR(c.r, 128, 2);
            EXPECT_NEAR(c.b, 128, 2);
        }
    }
    EXPECT_EQ(board.flash, 0.5f);
    gameState.paused = 0;
    beginBoardFrame();
    drawParticles(board);
    EXPECT_NEAR(board.flash, 0.4f, 1e-6);
    board.flash = -0.05f;
    beginBoardFrame();
    drawParticles(board);
    EXPECT_EQ(pixelAt(320, 240).r, 0);
}
