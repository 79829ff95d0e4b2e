#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/game_state.h"
#include "fixture_data.h"
#include "gl_context.h"
#include "render/png_loader.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "scores/highscore_screen.h"
#include "scores/highscore_table.h"
#include "scores/score_submit.h"
#include "scores_x_display.h"
#include "scripted_platform.h"
#include "temp_dir.h"

namespace {
// Four solid quarters, so the picture's orientation on screen can be read back.
const Rgb kTopLeft{200, 30, 30}, kTopRight{30, 200, 30}, kBottomLeft{30, 30, 200}, kBottomRight{90, 90, 20};

std::vector<uint8_t> quarteredPicture(int size) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb c = y < size / 2 ? (x < size / 2 ? kTopLeft : kTopRight) : (x < size / 2 ? kBottomLeft : kBottomRight);
            rgba.insert(rgba.end(), {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255});
        }
    }
    return rgba;
}

struct SubmitCall {
    std::string host;
    int port = 0;
    bool savedFirst = false;
};
SubmitCall lastSubmit;
int submitCalls = 0;
int recordSubmit(const char* host, int port) {
    ++submitCalls;
    lastSubmit = {host, port, fileExists("highscore.dat")};
    return 1;
}

void expectNear(Rgb got, Rgb want, const char* where) {
    EXPECT_NEAR(got.r, want.r, 12) << where;
    EXPECT_NEAR(got.g, want.g, 12) << where;
    EXPECT_NEAR(got.b, want.b, 12) << where;
}

class HighscoreScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!scoresHoldXDisplay() || !openTestGlContext()) return;
        TempDir pictures;
        writeRgbaPng(pictures.file("back.png"), 64, 64, quarteredPicture(64));
        loadTexture(gameState.pngImage, gameState.textures, pictures.file("back.png").c_str(), 12);
        std::string font = std::string(QUADRUNE_SOURCE_DIR) + "/data/pics/menufont.png";
        loadTexture(gameState.pngImage, gameState.textures, font.c_str(), 21);
        buildFontLists();
    }
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        ASSERT_TRUE(openTestGlContext());
        dir.enter();
        resizeScene(gameState, 640, 480);
        std::memset(&gameState.highscores, 0, sizeof gameState.highscores);
        loadHighscores(gameState.highscores);
        highscoreSubmitter = recordSubmit;
        submitCalls = 0;
    }
    void TearDown() override {
        highscoreSubmitter = submitScore;
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
    }
    TempDir dir;
    ScriptedPlatform script;
};
}  // namespace

TEST_F(HighscoreScreen, DrawsTheTableUntilAKeyThenSaves) {
    Rgb corners[4], heading{0, 0, 0};
    script.onSwap = [&] {
        if (script.swaps == 1) {
            corners[0] = pixelAtTop(8, 8);
            corners[1] = pixelAtTop(632, 8);
            corners[2] = pixelAtTop(8, 472);
            corners[3] = pixelAtTop(632, 472);
            heading = pixelAtTop(245, 33);  // inside the H of "HIGHSCORES"
            script.pushKeyDown(SDLK_n);
        }
    };
    showHighscores(FreePlay, 0);
    EXPECT_EQ(script.swaps, 2);  // the key pushed in frame 1 is read in frame 2
    EXPECT_EQ(script.delays, (std::vector<uint32_t>{100, 100}));
    expectNear(corners[0], kTopLeft, "top left");
    expectNear(corners[1], kTopRight, "top right");
    expectNear(corners[2], kBottomLeft, "bottom left");
    expectNear(corners[3], kBottomRight, "bottom right");
    EXPECT_GT(heading.r + heading.g + heading.b, kTopLeft.r + kTopLeft.g + kTopLeft.b + 100);  // text adds light
    EXPECT_EQ(readFileBytes("highscore.dat").size(), sizeof(HighscoreStore));
    EXPECT_EQ(submitCalls, 0);
    EXPECT_EQ(gameState.keyDown[SDLK_n], 1);
}

TEST_F(HighscoreScreen, YSavesAndThenSendsWhileAClosedWindowOnlyMarksEscape) {
    script.onSwap = [&] {
        if (script.swaps == 1) script.pushQuit();
        if (script.swaps == 2) {
            script.pushKeyUp(SDLK_a);
            script.pushKeyDown(SDLK_y);
        }
    };
    gameState.keyDown[SDLK_a] = 1;
    showHighscores(HundredMoves, 11);
    EXPECT_EQ(script.swaps, 3);
    EXPECT_EQ(gameState.keyDown[SDLK_ESCAPE], 1);
    EXPECT_EQ(gameState.keyDown[SDLK_a], 0);
    EXPECT_EQ(gameState.keyDown[SDLK_y], 1);
    ASSERT_EQ(submitCalls, 1);
    EXPECT_EQ(lastSubmit.host, QUADRUNE_SCORE_HOST);
    EXPECT_EQ(lastSubmit.port, 80);
    EXPECT_TRUE(lastSubmit.savedFirst);
}
