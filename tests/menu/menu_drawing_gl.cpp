#include <gtest/gtest.h>

#include <GL/glu.h>

#include <set>

#include "menu/menu_drawing.h"
#include "menu_gl_support.h"
#include "render/scene.h"

namespace {
struct PixelRect {
    unsigned item;
    int left, top, right, bottom;
};
const PixelRect kRects[] = {
    {ExitItem, 363, 337, 533, 419},
    {PlayItem, 13, 20, 245, 184},
    {OptionsItem, 332, 54, 632, 170},
    {LogoItem, 12, 185, 592, 330},
};

// Every name under the 2 x 2 region, with room for all four records.
std::set<unsigned> allNamesAt(int x, int y) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLuint buffer[64] = {};
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, viewport[3] - y, 2, 2, viewport);
    gluPerspective(45, 640.0 / 480.0, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    drawMenuItems(0);
    GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    std::set<unsigned> names;
    for (GLint i = 0, at = 0; i < hits; ++i, at += 3 + buffer[at]) names.insert(buffer[at + 3]);
    return names;
}

unsigned pickAt(int x, int y) {
    gameState.mouseX = x;
    gameState.mouseY = y;
    return pickMenuItem();
}

class MenuDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no X display";
        resizeScene(gameState, 640, 480);
    }
};
}  // namespace

TEST_F(MenuDrawing, PickFindsTheItemInsideEachPixelRectangle) {
    for (const auto& r : kRects) {
        int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
        EXPECT_EQ(pickAt(cx, cy), r.item) << "centre of item " << r.item;
        EXPECT_EQ(pickAt(r.left + 2, r.top + 2), r.item) << "top left of item " << r.item;
        EXPECT_EQ(pickAt(r.right - 2, r.bottom - 2), r.item) << "bottom right of item " << r.item;
    }
    for (auto [x, y] : {std::pair{5, 5}, {620, 450}, {300, 400}, {620, 20}, {600, 250}, {250, 10}, {5, 470}})
        EXPECT_EQ(pickAt(x, y), NoMenuItem) << x << "," << y;
}

TEST_F(MenuDrawing, WhereThePickRegionTouchesPlayAndLogoThePlayItemWins) {
    int both = -1;
    for (int y = 175; y <= 195 && both < 0; ++y) {
        auto names = allNamesAt(100, y);
        if (names.count(PlayItem) && names.count(LogoItem)) both = y;
    }
    ASSERT_GE(both, 0) << "no row where the region reaches both items";
    EXPECT_EQ(pickAt(100, both), PlayItem);  // the one-record buffer overflows here
    EXPECT_EQ(pickAt(100, both - 3), PlayItem);
    EXPECT_EQ(pickAt(100, both + 3), LogoItem);
}

TEST_F(MenuDrawing, PickDrawsNothingAndRestoresTheProjection) {
    glClearColor(0.2f, 0.4f, 0.6f, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    GLdouble before[16], after[16], modelView[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    auto pixelsBefore = readPixelsRgb(0, 0, 640, 480);
    EXPECT_EQ(pickAt(129, 102), PlayItem);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_DOUBLE_EQ(after[i], before[i]);
    EXPECT_EQ(readPixelsRgb(0, 0, 640, 480), pixelsBefore);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    // The base camera stays: eye 10 back, the offset and two downward steps.
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    EXPECT_NEAR(modelView[12], -0.25, 1e-5);
    EXPECT_NEAR(modelView[13], -0.24, 1e-5);
    EXPECT_NEAR(modelView[14], -10, 1e-5);
    glClearColor(1, 1, 1, 0);
}

TEST_F(MenuDrawing, ItemsShowThroughTheirMasksAndTheHighlightAddsTheirPicture) {
    installMenuTestTextures(255);
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    drawMenuBackground();
    drawMenuItems(0);
    EXPECT_TRUE(nearColour(pixelAtTop(448, 378), 120, 0, 0));    // exit at 60 %
    EXPECT_TRUE(nearColour(pixelAtTop(482, 112), 0, 0, 120));    // options
    EXPECT_TRUE(nearColour(pixelAtTop(302, 257), 100, 100, 100));  // logo at full strength
    EXPECT_TRUE(nearColour(pixelAtTop(60, 102), 0, 120, 0));     // play, black half of its mask
    EXPECT_TRUE(nearColour(pixelAtTop(200, 102), 255, 255, 255));  // white half keeps the frame
    EXPECT_TRUE(nearColour(pixelAtTop(620, 450), 255, 255, 255));  // background between items
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    drawMenuItems(PlayItem);  // alone: no mask pass, nothing else drawn
    EXPECT_TRUE(nearColour(pixelAtTop(60, 102), 0, 120, 0));
    EXPECT_TRUE(nearColour(pixelAtTop(200, 102), 0, 120, 0));
    EXPECT_TRUE(nearColour(pixelAtTop(448, 378), 0, 0, 0));
    EXPECT_TRUE(nearColour(pixelAtTop(482, 112), 0, 0, 0));
    glClearColor(1, 1, 1, 0);
}
