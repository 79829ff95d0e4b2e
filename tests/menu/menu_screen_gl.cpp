#include <gtest/gtest.h>

#include "menu_gl_support.h"
#include "menu_test_support.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "temp_dir.h"

namespace {
constexpr int kPlayX = 60, kPlayY = 102;     // on the black half of the play mask
constexpr int kExitX = 448, kExitY = 378;
constexpr int kOptionsX = 482, kOptionsY = 112;
constexpr int kLogoX = 302, kLogoY = 257;

class MainMenu : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no X display";
        resizeScene(gameState, 640, 480);
        installMenuTestTextures(255);
        resetMenuState();
    }
    void TearDown() override { resetMenuState(); }

    ScriptedPlatform platform;
    RecordingSound sound;
};
}  // namespace

TEST_F(MainMenu, HoverLightsOnlyTheItemUnderThePointer) {
    menuPassAt(platform, kPlayX, kPlayY, false);
    EXPECT_TRUE(nearColour(pixelAtTop(kPlayX, kPlayY), 0, 240, 0));
    EXPECT_TRUE(nearColour(pixelAtTop(kExitX, kExitY), 120, 0, 0));
    menuPassAt(platform, kExitX, kExitY, false);
    EXPECT_TRUE(nearColour(pixelAtTop(kPlayX, kPlayY), 0, 120, 0));
    EXPECT_TRUE(nearColour(pixelAtTop(kExitX, kExitY), 240, 0, 0));
    menuPassAt(platform, kLogoX, kLogoY, false);  // the logo never lights up
    EXPECT_TRUE(nearColour(pixelAtTop(kLogoX, kLogoY), 100, 100, 100));
    EXPECT_TRUE(nearColour(pixelAtTop(kOptionsX, kOptionsY), 0, 0, 120));
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_EQ(gameState.mouseX, kLogoX);
    EXPECT_EQ(gameState.mouseY, kLogoY);
}

TEST_F(MainMenu, PlayStartsAGameAndSwitchesTheMusicOnlyWhenItIsOn) {
    gameState.config.musicOn = 1;
    menuPassAt(platform, kPlayX, kPlayY, true);
    EXPECT_EQ(sound.calls, (std::vector<std::string>{menuClickCall(), "Stream_Stop " + menuMusicHandle(),
                                                     "Stream_Play -1 " + gameMusicHandle()}));
    EXPECT_EQ(gameState.musicChannel, 7);
    EXPECT_EQ(gameState.screen, GameScreen);
    EXPECT_EQ(gameState.menuPage, MainMenuPage);
    EXPECT_EQ(platform.seeds.size(), 1u);  // a new game seeds the generator
    EXPECT_EQ(gameState.timeLeftMs, 50000u);

    resetMenuState();
    sound.calls.clear();
    gameState.config.musicOn = 0;
    menuPassAt(platform, kPlayX, kPlayY, true);
    EXPECT_EQ(sound.calls, std::vector<std::string>{menuClickCall()});
    EXPECT_EQ(gameState.musicChannel, 0);
    EXPECT_EQ(gameState.screen, GameScreen);

    // Events queued behind the start are still menu events.
    resetMenuState();
    platform.seeds.clear();
    platform.pushMotion();
    menuPassAt(platform, kPlayX, kPlayY, true);
    EXPECT_EQ(platform.seeds.size(), 2u);
    EXPECT_EQ(platform.swaps, 4);
}

TEST_F(MainMenu, ExitQuitsOptionsOpensAndTheLogoDoesNothing) {
    platform.pushMotion();
    menuPassAt(platform, kExitX, kExitY, true);  // no latch: acts on every pass
    EXPECT_EQ(gameState.quitRequested, 1);
    EXPECT_EQ(sound.calls, (std::vector<std::string>{menuClickCall(), menuClickCall()}));

    resetMenuState();
    sound.calls.clear();
    for (auto [x, y] : {std::pair{kLogoX, kLogoY}, {620, 450}}) menuPassAt(platform, x, y, true);
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_EQ(gameState.quitRequested, 0);
    EXPECT_EQ(gameState.screen, MenuScreen);
    EXPECT_EQ(gameState.menuPage, MainMenuPage);

    menuPassAt(platform, kOptionsX, kOptionsY, true);
    EXPECT_EQ(gameState.menuPage, OptionsPage);
    EXPECT_EQ(sound.calls, std::vector<std::string>{menuClickCall()});
}

TEST_F(MainMenu, APressActsOnOnePageOnly) {
    // The options item lies over the GAMEMODE row, the <DONE> row over exit.
    menuPassAt(platform, kOptionsX, kOptionsY, true);
    menuPassAt(platform, kOptionsX, kOptionsY + 2, true);
    EXPECT_EQ(gameState.menuPage, OptionsPage);
    EXPECT_EQ(gameState.config.gameMode, FreePlay);
    menuPassAt(platform, kOptionsX, kOptionsY, false);
    menuPassAt(platform, kOptionsX, kOptionsY, true);
    EXPECT_EQ(gameState.config.gameMode, TimeAttack);
    menuPassAt(platform, kOptionsX, kOptionsY, false);

    TempDir dir;
    dir.enter();
    menuPassAt(platform, kExitX, 410, true);  // <DONE>
    menuPassAt(platform, kExitX + 2, 410, true);
    EXPECT_EQ(gameState.menuPage, MainMenuPage);
    EXPECT_EQ(gameState.quitRequested, 0);
    EXPECT_EQ(gameState.config.gameMode, TimeAttack);
    menuPassAt(platform, kExitX, 410, false);
    menuPassAt(platform, kExitX, 410, true);
    EXPECT_EQ(gameState.quitRequested, 1);
}

TEST_F(MainMenu, OptionsPageShowsAStoredNameOnlyUpToItsTenBytes) {
    installMenuTestTextures(0);
    gameState.textures[21] = menuSolidTexture(255, 255, 255);
    buildFontLists();
    gameState.menuPage = OptionsPage;
    std::memset(gameState.config.playerName, 'W', 10);  // no zero byte
    gameState.config.reserved10[0] = 'W';
    gameState.config.reserved10[1] = 'W';
    menuPassAt(platform, 0, 0, false);
    EXPECT_TRUE(nearColour(pixelAtTop(5, 5), 0, 0, 0));  // the background fills the window
    EXPECT_TRUE(nearColour(pixelAtTop(635, 475), 0, 0, 0));
    EXPECT_TRUE(nearColour(pixelAtTop(312, 203), 255, 255, 255));  // first name glyph
    EXPECT_TRUE(nearColour(pixelAtTop(584, 203), 255, 255, 255));  // tenth
    EXPECT_TRUE(nearColour(pixelAtTop(613, 203), 0, 0, 0));        // no eleventh
    EXPECT_TRUE(nearColour(pixelAtTop(262, 413), 255, 255, 255));  // <DONE> inside its click row
}
