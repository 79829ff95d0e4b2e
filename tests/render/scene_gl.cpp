#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <set>
#include <string>

#include "base/game_state.h"
#include "capture_stdout.h"
#include "gl_context.h"
#include "render/png_loader.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "render_fixtures.h"
#include "render_x_keepalive.h"
#include "scripted_platform.h"
#include "temp_dir.h"

namespace {
using Frame = std::vector<uint8_t>;

// What loadScene showed and printed, run once for the whole suite.
struct SceneLoad {
    std::vector<Frame> frames;
    std::string out;
};
SceneLoad sceneLoad;

class Scene : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        keepXServerFromResetting();
        if (!openTestGlContext()) return;
        TempDir dir;
        writeRenderPictures(dir.path());
        dir.enter();
        ScriptedPlatform scripted;
        scripted.onSwap = [] { sceneLoad.frames.push_back(readPixelsRgb(0, 0, 640, 480)); };
        glClearColor(0, 0, 0, 0);
        resizeScene(gameState, 640, 480);
        CaptureStdout capture;
        capture.start();
        loadScene(gameState, 640, 480);
        sceneLoad.out = capture.finish();
    }

    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(openTestGlContext());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
};

Frame loadingFrame(const std::string& line) {
    ScriptedPlatform scripted;
    Frame shown;
    scripted.onSwap = [&] { shown = readPixelsRgb(0, 0, 640, 480); };
    showLoadingScreen("Loading..", line.c_str());
    return shown;
}

struct WindowPoint {
    double x, y;  // y from the top
};
WindowPoint project(double x, double y, double z) {
    GLdouble model[16], projection[16], wx, wy, wz;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
    return {wx, 480 - wy};
}

void expectColour(const Rgb& seen, int r, int g, int b, const char* where) {
    EXPECT_NEAR(seen.r, r, 12) << where;
    EXPECT_NEAR(seen.g, g, 12) << where;
    EXPECT_NEAR(seen.b, b, 12) << where;
}

void expectProjection(double aspect) {
    GLdouble seen[16], want[16];
    glGetDoublev(GL_PROJECTION_MATRIX, seen);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(45, aspect, 0.1, 100);
    glGetDoublev(GL_PROJECTION_MATRIX, want);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(seen[i], want[i], 1e-6) << "element " << i;
}
}  // namespace

TEST_F(Scene, LoadingShowsEveryPictureInSlotOrderAndPrintsItsLines) {
    EXPECT_EQ(sceneLoad.out, "\nLoading..\n\tTextures.....done\nGenerating display lists.....done\n");
    std::vector<std::string> lines;
    for (const char* file : kTextureFiles) lines.push_back(std::string("Texture ") + file + "..");
    lines.push_back("Display lists..");
    lines.push_back("Display lists..done.");
    ASSERT_EQ(sceneLoad.frames.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(sceneLoad.frames[i] == loadingFrame(lines[i])) << "screen " << i << " is not \"" << lines[i] << "\"";
    // Different lines look different, so the comparison above means something.
    EXPECT_FALSE(sceneLoad.frames[0] == sceneLoad.frames[1]);
}

TEST_F(Scene, EveryPictureBecomesItsOwnTextureAndADotHasOneLevel) {
    std::set<uint32_t> names;
    for (int slot = 1; slot <= 21; ++slot) {
        EXPECT_TRUE(glIsTexture(gameState.textures[slot])) << "slot " << slot;
        names.insert(gameState.textures[slot]);
    }
    EXPECT_EQ(names.size(), 21u);

    // A one-pixel picture makes a texture of one level.
    PngImage dot;
    TempDir dir;
    writeRenderPictures(dir.path());
    uint32_t name = 0;
    loadTexture(dot, &name, nullptr, 0);
    EXPECT_EQ(name, 0u);
    loadTexture(dot, &name, dir.file("data/pics/palikka3.png").c_str(), 0);
    ASSERT_EQ(dot.width, 1u);
    GLint bound = 0, width0 = 0, width1 = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width0);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width1);
    EXPECT_EQ(static_cast<uint32_t>(bound), name);
    EXPECT_EQ(width0, 1);
    EXPECT_EQ(width1, 0);
    std::free(dot.pixels);
}

TEST_F(Scene, BlockCubeShowsItsPictureUpright) {
    glTranslatef(0, 0, -0.5f);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, gameState.textures[1]);
    glColor3f(1, 1, 1);
    glCallList(gameState.displayListBase);
    WindowPoint topLeft = project(-0.05, 0.05, 0.1), bottomRight = project(0.05, -0.05, 0.1);
    int left = static_cast<int>(topLeft.x), top = static_cast<int>(topLeft.y);
    int right = static_cast<int>(bottomRight.x), bottom = static_cast<int>(bottomRight.y);
    ASSERT_LT(left, right);
    ASSERT_LT(top, bottom);
    expectColour(pixelAtTop(left, top), 255, 0, 0, "top left");
    expectColour(pixelAtTop(right, top), 0, 255, 0, "top right");
    expectColour(pixelAtTop(left, bottom), 0, 0, 255, "bottom left");
    expectColour(pixelAtTop(right, bottom), 255, 255, 255, "bottom right");
    expectColour(pixelAtTop(5, 5), 0, 0, 0, "outside the cube");
}

TEST_F(Scene, ResizeTakesHeightZeroAsOne) {
    resizeScene(gameState, 640, 0);
    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(gameState.windowWidth, 640);
    EXPECT_EQ(gameState.windowHeight, 1);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_EQ(mode, GL_MODELVIEW);
    expectProjection(640.0);

    resizeScene(gameState, 640, 480);
    EXPECT_EQ(gameState.windowHeight, 480);
    expectProjection(640.0 / 480.0);
}
