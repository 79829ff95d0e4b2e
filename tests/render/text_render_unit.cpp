#include <gtest/gtest.h>

#include "render/bitmap_font_init.h"
#include "base/game_state.h"
#include "render/text_render.h"
#include "scripted_platform.h"

// Other modules' tests draw their screens with no window at all: text and
// the loading screen must then do nothing, and GLUT, never set up here,
// must not be reached (freeglut would end the process).
TEST(TextWithoutWindow, LoadingScreenAndTextAreHarmless) {
    ASSERT_FALSE(bitmapFontReady());
    ScriptedPlatform scripted;
    drawBitmapText("Loading..");
    showLoadingScreen("Loading..", "Texture data/pics/100%s%n.png..");
    showLoadingScreen("Loading..", "");
    EXPECT_EQ(scripted.swaps, 2);

    uint32_t* saved = gameState.textures;
    gameState.textures = nullptr;  // before the scene variables exist
    drawText("<DONE>", 250, 400);
    drawText("", 0, 0);
    gameState.textures = saved;
}
