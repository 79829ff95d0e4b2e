#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "board_fixture.h"
#include "board_gl_scene.h"
#include "gl_context.h"
#include "game/board_drawing.h"

namespace {
class BoardDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(openBoardGlScene());
        resetBoardForTest();
        beginBoardFrame();
        glEnable(GL_TEXTURE_2D);
    }
    Board& board = gameState.board;
};

constexpr float kPitch = 0.21f;
float cellX(int column) { return column * kPitch; }
float cellY(int row) { return (9 - row) * kPitch; }

void expectBoxNear(const PixelBox& actual, const PixelBox& expected, int tolerance = 1) {
    ASSERT_TRUE(actual.found());
    EXPECT_NEAR(actual.left, expected.left, tolerance);
    EXPECT_NEAR(actual.right, expected.right, tolerance);
    EXPECT_NEAR(actual.bottom, expected.bottom, tolerance);
    EXPECT_NEAR(actual.top, expected.top, tolerance);
}

template <typename Test>
int countPixels(Test test) {
    glFinish();
    std::vector<uint8_t> pixels = readPixelsRgb(0, 0, 640, 480);
    int n = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) n += test(&pixels[i]) ? 1 : 0;
    return n;
}

void slide(int column, int row, int kind, bool right, int progress) {
    putBlock(column, row, kind);
    Cell& cell = cellAt(column, row);
    (right ? cell.slidingRight : cell.slidingLeft) = true;
    cell.slideProgress = progress;
    cell.busy = true;
}
}  // namespace

TEST_F(BoardDrawing, HalfwayThroughASwapTheBlocksPassInFrontAndBehind) {
    slide(2, 4, 1, true, 50);
    drawBoard(board);
    PixelBox front = projectedBox(cubeCorners(cellX(2) + 0.105f, cellY(4), 0.3f));
    expectBoxNear(boxOfColour(boardSlotColour(1)), front);
    // The arc matters: at rest the box would be clearly smaller and to the left.
    PixelBox rest = projectedBox(cubeCorners(cellX(2), cellY(4), 0.0f));
    EXPECT_GT(front.right - front.left, rest.right - rest.left + 3);
    EXPECT_GT(front.left, rest.left + 15);

    resetBoardForTest();
    beginBoardFrame();
    slide(3, 4, 2, false, 50);
    drawBoard(board);
    PixelBox behind = projectedBox(cubeCorners(cellX(3) - 0.105f, cellY(4), -0.3f));
    expectBoxNear(boxOfColour(boardSlotColour(2)), behind);

    // Both at once: the one moving right is nearer and hides the middle of the other.
    beginBoardFrame();
    slide(2, 4, 1, true, 50);
    drawBoard(board);
    Colour middle = pixelAt((front.left + front.right) / 2, (front.bottom + front.top) / 2);
    EXPECT_EQ(middle.r, 255);
    EXPECT_EQ(middle.g, 0);
}

TEST_F(BoardDrawing, FinishedMovesAreDrawnExactlyOnTheirNewCell) {
    slide(2, 4, 1, true, 100);
    drawBoard(board);
    expectBoxNear(boxOfColour(boardSlotColour(1)), projectedBox(cubeCorners(cellX(3), cellY(4), 0.0f)));

    resetBoardForTest();
    beginBoardFrame();
    putBlock(2, 3, 2);
    cellAt(2, 3).falling = true;
    cellAt(2, 3).fallProgress = 100;
    drawBoard(board);
    expectBoxNear(boxOfColour(boardSlotColour(2)), projectedBox(cubeCorners(cellX(2), cellY(4), 0.0f)));

    // A falling block is drawn falling whatever else is set.
    beginBoardFrame();
    cellAt(2, 3).fallProgress = 50;
    cellAt(2, 3).slidingRight = true;
    cellAt(2, 3).slideProgress = 50;
    drawBoard(board);
    expectBoxNear(boxOfColour(boardSlotColour(2)), projectedBox(cubeCorners(cellX(2), cellY(3) - 0.105f, 0.0f)));
}

TEST_F(BoardDrawing, EachKindShowsItsOwnPicture) {
    for (int kind = 1; kind <= 6; ++kind) putBlock(kind - 1, 8, kind);
    drawBoard(board);
    for (int kind = 1; kind <= 6; ++kind)
        expectBoxNear(boxOfColour(boardSlotColour(kind)), projectedBox(cubeCorners(cellX(kind - 1), cellY(8), 0.0f)));

    // A kind without a picture keeps the one bound before it; cells beyond
    // the board are never drawn.
    resetBoardForTest();
    beginBoardFrame();
    putBlock(0, 0, 3);
    putBlock(0, 1, 7);
    gameState.board.cells[6][0] = Cell{1, false, false, 0, false, false, 0, false};
    drawBoard(board);
    PixelBox both = projectedBox(cubeCorners(cellX(0), cellY(0), 0.0f));
    PixelBox lower = projectedBox(cubeCorners(cellX(0), cellY(1), 0.0f));
    both.bottom = lower.bottom;
    expectBoxNear(boxOfColour(boardSlotColour(3)), both);
    EXPECT_FALSE(boxOfColour(boardSlotColour(1)).found());
}

TEST_F(BoardDrawing, TheCursorOnTheLastColumnFramesTheTwoRightmostColumns) {
    glDisable(GL_TEXTURE_2D);
    drawCursor(board, cellX(4), cellY(3));
    PixelBox frame = boxOfColour({255, 255, 255});
    const float z = 0.11f;
    expectBoxNear(frame, projectedBox({cellX(4) - 0.11f, cellY(3) - 0.11f, z, cellX(4) + 0.31f, cellY(3) + 0.11f, z}));
    // It sits just in front of the blocks' front faces, around columns 4 and 5.
    auto frontFace = [](int column) {
        float x = cellX(column), y = cellY(3), z = 0.1f;
        return projectedBox({x - 0.1f, y - 0.1f, z, x + 0.1f, y + 0.1f, z});
    };
    EXPECT_LE(frame.left, frontFace(4).left);
    EXPECT_GE(frame.right, frontFace(5).right);
    EXPECT_GT(frame.left, (frontFace(3).left + frontFace(3).right) / 2);
    EXPECT_GE(frame.top, frontFace(5).top);
    EXPECT_LE(frame.bottom, frontFace(5).bottom);
    EXPECT_LT(frame.right, 640);
}

TEST_F(BoardDrawing, AnEmptyBoardShowsOnlyTheBackdropAndTheCursor) {
    drawBoard(board);
    EXPECT_EQ(countPixels([](const uint8_t* p) { return p[0] || p[1] || p[2]; }), 0);
    glDisable(GL_TEXTURE_2D);
    drawCursor(board, cellX(0), cellY(0));
    glEnable(GL_TEXTURE_2D);
    drawBoardBackground(board);
    glDisable(GL_TEXTURE_2D);
    // The top of the picture is at the top; its halves meet at y = 1, depth -1.
    PixelBox middle = projectedBox({0.0f, 1.0f, -1.0f});
    EXPECT_EQ(pixelAt(320, 479).r, 255);
    EXPECT_EQ(pixelAt(320, 0).b, 255);
    EXPECT_EQ(pixelAt(600, middle.bottom + 2).r, 255);
    EXPECT_EQ(pixelAt(600, middle.bottom - 2).b, 255);
    PixelBox red = boxOfColour({255, 0, 0}, 0);
    PixelBox blue = boxOfColour({0, 0, 255}, 0);
    EXPECT_EQ(red.left, 0);
    EXPECT_EQ(red.right, 639);
    EXPECT_EQ(blue.top + 1, red.bottom);
    EXPECT_NEAR(red.bottom, middle.bottom, 1);
    expectBoxNear(boxOfColour({255, 255, 255}, 0),
                  projectedBox({-0.11f, cellY(0) - 0.11f, 0.11f, 0.31f, cellY(0) + 0.11f, 0.11f}));
    // Nothing but the two halves and the frame.
    EXPECT_EQ(countPixels([](const uint8_t* p) {
                  bool red = p[0] == 255 && p[1] == 0 && p[2] == 0;
                  bool blue = p[0] == 0 && p[1] == 0 && p[2] == 255;
                  bool white = p[0] == 255 && p[1] == 255 && p[2] == 255;
                  return !(red || blue || white);
              }),
              0);
}
