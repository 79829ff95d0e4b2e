#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "render/bitmap_font_init.h"
#include "base/game_state.h"
#include "fixture_data.h"
#include "gl_context.h"
#include "render/png_loader.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "render_fixtures.h"
#include "render_x_keepalive.h"
#include "scripted_platform.h"
#include "temp_dir.h"

namespace {
class TextRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        keepXServerFromResetting();
        if (!openTestGlContext()) return;
        TempDir dir;
        writeRgbaPng(dir.file("menufont.png"), 270, 300, fontPictureRgba());
        loadTexture(gameState.pngImage, gameState.textures, dir.file("menufont.png").c_str(), 21);
        buildFontLists();
    }

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(openTestGlContext());
        resizeScene(gameState, 640, 480);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void TearDown() override { glMatrixMode(GL_MODELVIEW); }
};

bool lit(const Rgb& p) { return p.r + p.g + p.b > 0; }

// Top-down frame, so that (x, y) read as on the 640 x 480 text plane.
struct Frame {
    std::vector<uint8_t> rgb = readPixelsRgb(0, 0, 640, 480);
    Rgb at(int x, int y) const {
        size_t i = (static_cast<size_t>(479 - y) * 640 + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    int litCount() const {
        int n = 0;
        for (size_t i = 0; i < rgb.size(); i += 3) n += rgb[i] + rgb[i + 1] + rgb[i + 2] > 0;
        return n;
    }
};

void expectCellColour(const Rgb& seen, int cell, const char* what) {
    CellColour want = fontCellColour(cell);
    EXPECT_NEAR(seen.r, want.r, 6) << what;
    EXPECT_NEAR(seen.g, want.g, 6) << what;
    EXPECT_NEAR(seen.b, want.b, 6) << what;
}

double rasterX() {
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return position[0];
}

// Where the loading screen's camera puts a raster position, in window pixels.
struct WindowPoint {
    double x, y;
};
WindowPoint projectLoading(double x, double y) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(0, 1.5, 15, 0, 0.5, 0, 0, 1, 0);
    GLdouble model[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPopMatrix();
    gluProject(x, y, 0, model, projection, viewport, &wx, &wy, &wz);
    return {wx, wy};
}
}  // namespace

TEST_F(TextRender, DoneLightsExactlySixGlyphSquaresFromTheirOwnCells) {
    drawText("<DONE>", 250, 400);
    Frame frame;
    int wrong = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            bool inside = y >= 400 && y < 427 && x >= 250 && x < 427 && (x - 250) % 30 < 27;
            if (lit(frame.at(x, y)) != inside && wrong++ < 5) ADD_FAILURE() << "pixel " << x << "," << y;
        }
    EXPECT_EQ(wrong, 0);
    const char* text = "<DONE>";
    for (int i = 0; i < 6; ++i) expectCellColour(frame.at(263 + 30 * i, 413), text[i] - 32, "glyph centre");
}

TEST_F(TextRender, SpacesMoveThePenControlsDoNotAndHighCodesWrap) {
    drawText("", 100, 100);
    drawText("      ", 100, 200);
    EXPECT_EQ(Frame().litCount(), 0);

    drawText("A\x01\x1f B", 100, 100);
    drawText("ay", 0, 0);
    drawText("z\xc8", 0, 200);
    Frame frame;
    struct Glyph {
        int x, y, cell;
    } glyphs[] = {{113, 113, 'A' - 32}, {173, 113, 'B' - 32}, {13, 13, 'a' - 32}, {43, 13, 'y' - 32},
                  {13, 213, 0},               // z shows the cell of the space
                  {43, 213, 200 - 32 - 90}};  // code 200 the cell of code 110
    for (const Glyph& g : glyphs) expectCellColour(frame.at(g.x, g.y), g.cell, "glyph");
    EXPECT_FALSE(lit(frame.at(143, 113)));
    EXPECT_EQ(frame.litCount(), 6 * 27 * 27);
}

TEST_F(TextRender, TextAddsLightAndRestoresTheCallersState) {
    glClearColor(0.25f, 0.25f, 0.25f, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 0, 0);
    GLdouble projectionBefore[16], projectionAfter[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projectionBefore);
    drawText("A", 300, 200);
    GLint binding = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionAfter);
    EXPECT_EQ(binding, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(std::memcmp(projectionBefore, projectionAfter, sizeof projectionBefore), 0);

    Frame frame;
    CellColour glyph = fontCellColour('A' - 32);
    Rgb inside = frame.at(313, 213), outside = frame.at(340, 213);
    EXPECT_NEAR(inside.r, glyph.r + 64, 8);
    EXPECT_NEAR(inside.g, glyph.g + 64, 8);
    EXPECT_NEAR(outside.r, 64, 1);
    EXPECT_NEAR(outside.b, 64, 1);
}

TEST_F(TextRender, LoadingScreenDrawsItsLinesLiterallyAndSwapsOnce) {
    ASSERT_TRUE(bitmapFontReady());
    ScriptedPlatform scripted;
    std::vector<uint8_t> shown;
    scripted.onSwap = [&] { shown = readPixelsRgb(0, 0, 640, 480); };
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0, 1, 0);

    // A '%' in the line is text; were it a format, the width would differ.
    const char* line2 = "50% done %s%d %n..";
    showLoadingScreen("Loading..", line2);
    EXPECT_EQ(scripted.swaps, 1);
    double start = projectLoading(-0.2 - 0.07 * std::strlen(line2), 0.1).x;
    int width = glutBitmapLength(GLUT_BITMAP_HELVETICA_12, reinterpret_cast<const unsigned char*>(line2));
    EXPECT_NEAR(rasterX(), start + width, 0.5);
    int litPixels = 0;
    for (uint8_t b : shown) litPixels += b > 0;
    EXPECT_GT(litPixels, 100);
}

TEST_F(TextRender, BlankSecondLineLeavesOnlyTheTitle) {
    ScriptedPlatform scripted;
    std::vector<uint8_t> shown;
    scripted.onSwap = [&] { shown = readPixelsRgb(0, 0, 640, 480); };
    showLoadingScreen("Loading..", " ");
    ASSERT_EQ(shown.size(), 640u * 480 * 3);
    // Split the window halfway between the two lines' baselines.
    double split = (projectLoading(-0.5, 0.8).y + projectLoading(-0.27, 0.1).y) / 2;
    int above = 0, below = 0;
    for (int row = 0; row < 480; ++row)
        for (int x = 0; x < 640; ++x) {
            bool on = shown[(static_cast<size_t>(row) * 640 + x) * 3] > 0;
            (row > split ? above : below) += on;
        }
    EXPECT_GT(above, 50);
    EXPECT_EQ(below, 0);
}
