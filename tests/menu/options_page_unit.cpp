#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "menu/name_entry.h"
#include "menu_test_support.h"
#include "temp_dir.h"

namespace {
constexpr int kModeY = 115, kSpeedY = 145, kMusicY = 175, kPlayerY = 205, kDoneY = 415;
constexpr int kMinusX = 305, kPlusX = 555;

class OptionsScreen : public ::testing::Test {
protected:
    void SetUp() override {
        resetMenuState();
        gameState.menuPage = OptionsPage;
        dir.enter();
    }
    void TearDown() override { resetMenuState(); }

    void typeKey(int symbol, int mod = 0) {
        platform.pushKeyDown(symbol);
        platform.events.back().key.keysym.mod = static_cast<SDLMod>(mod);
        platform.pushKeyUp(symbol);
        runMenuFrame();
    }
    std::string storedName() const {
        return std::string(gameState.config.playerName, strnlen(gameState.config.playerName, 10));
    }
    size_t soundsPlayed() const {
        size_t n = 0;
        for (const auto& c : sound.calls) n += c == optionClickCall();
        return n;
    }

    TempDir dir;
    ScriptedPlatform platform;
    RecordingSound sound;
};
}  // namespace

TEST_F(OptionsScreen, EmptyQueueDrawsNothingAndEveryEventGivesOneSwap) {
    runMenuFrame();
    EXPECT_EQ(platform.swaps, 0);
    for (int i = 0; i < 3; ++i) platform.pushMotion();
    runMenuFrame();
    EXPECT_EQ(platform.swaps, 3);
    EXPECT_EQ(platform.pendingEvents(), 0u);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(OptionsScreen, GameModeAdvancesOncePerPressAnywhereAlongItsRow) {
    gameState.config.gameMode = HundredMoves;
    for (int i = 0; i < 4; ++i) menuPassAt(platform, 2, kModeY, true);  // held: acts once
    EXPECT_EQ(gameState.config.gameMode, FreePlay);
    EXPECT_EQ(soundsPlayed(), 1u);
    menuPassAt(platform, 2, kModeY, false);
    struct Click {
        int32_t before;
        int x, y;
        int32_t after;
    };
    // The row is y 101..129 across the window; a damaged stored mode keeps
    // counting up, and the largest wraps safely.
    const Click clicks[] = {{FreePlay, 639, 101, TimeAttack}, {TimeAttack, 320, 129, Hardcore},
                            {Hardcore, 320, 100, Hardcore},   {Hardcore, 320, 130, Hardcore},
                            {7, 0, kModeY, 8},                {INT32_MAX, 0, kModeY, INT32_MIN}};
    for (const Click& c : clicks) {
        gameState.config.gameMode = c.before;
        menuClickAt(platform, c.x, c.y);
        EXPECT_EQ(gameState.config.gameMode, c.after) << c.before << " at " << c.x << "," << c.y;
    }
    EXPECT_EQ(soundsPlayed(), 5u);
}

TEST_F(OptionsScreen, SpeedStepsOnItsArrowsAndClampsAtBothEnds) {
    struct Step {
        int32_t before;
        int x, y;
        int32_t after;
    };
    // Arrows are x 291..319 and 541..569, y 131..159; stored values outside
    // 0..100 come back in on the first step.
    const Step steps[] = {{0, kMinusX, kSpeedY, 0},    {100, kPlusX, kSpeedY, 100}, {50, 291, 131, 49},
                          {50, 319, 159, 49},          {50, 569, 131, 51},          {50, 290, kSpeedY, 50},
                          {50, 320, kSpeedY, 50},      {50, 540, kSpeedY, 50},      {50, 570, kSpeedY, 50},
                          {500, kMinusX, kSpeedY, 100}, {INT32_MIN, kMinusX, kSpeedY, 0}};
    for (const Step& s : steps) {
        gameState.config.speed = s.before;
        menuClickAt(platform, s.x, s.y);
        EXPECT_EQ(gameState.config.speed, s.after) << s.before << " at " << s.x << "," << s.y;
    }
    EXPECT_EQ(soundsPlayed(), 7u);
    gameState.config.speed = 50;
    for (int i = 0; i < 5; ++i) menuPassAt(platform, kPlusX, kSpeedY, true);  // held: acts once
    EXPECT_EQ(gameState.config.speed, 51);
}

TEST_F(OptionsScreen, MusicSwitchStopsBeforeItsClickAndStartsAfterIt) {
    gameState.config.musicOn = 1;
    menuClickAt(platform, 10, kMusicY);
    EXPECT_EQ(gameState.config.musicOn, 0);
    EXPECT_EQ(sound.calls, (std::vector<std::string>{"Stream_Stop " + menuMusicHandle(), optionClickCall()}));
    sound.calls.clear();
    menuClickAt(platform, 630, kMusicY);
    EXPECT_EQ(gameState.config.musicOn, 1);
    EXPECT_EQ(sound.calls, (std::vector<std::string>{optionClickCall(), "Stream_Play -1 " + menuMusicHandle()}));
    EXPECT_EQ(gameState.musicChannel, 7);
}

TEST_F(OptionsScreen, TypedNameIsUpperCaseAndIgnoresOtherKeys) {
    menuPassAt(platform, 100, kPlayerY, true);
    EXPECT_TRUE(gameState.nameEntryActive);
    EXPECT_EQ(nameBuffer, "");
    EXPECT_EQ(std::vector<char>(gameState.config.playerName, gameState.config.playerName + 10),
              std::vector<char>(10, 0));
    EXPECT_EQ(soundsPlayed(), 1u);
    menuPassAt(platform, 100, kPlayerY, true);  // the same press does not end it
    EXPECT_TRUE(gameState.nameEntryActive);
    menuPassAt(platform, 100, kPlayerY, false);

    typeKey('a');
    typeKey('b', KMOD_LSHIFT);
    typeKey('1');
    EXPECT_EQ(nameBuffer, "AB1");
    EXPECT_EQ(storedName(), "AB1");
    EXPECT_EQ(soundsPlayed(), 4u);
    for (int ignored : std::initializer_list<int>{SDLK_KP1, SDLK_KP9, SDLK_SPACE, SDLK_COMMA, SDLK_MINUS, SDLK_ESCAPE, SDLK_LSHIFT, '`', '{'})
        typeKey(ignored);
    EXPECT_EQ(storedName(), "AB1");
    EXPECT_EQ(soundsPlayed(), 4u);
    EXPECT_EQ(gameState.menuPage, OptionsPage);  // Escape does not leave while typing
    EXPECT_EQ(gameState.keyDown['a'], 0);       // typing does not touch the key table
    typeKey(SDLK_BACKSPACE);
    EXPECT_EQ(storedName(), "AB");
    EXPECT_EQ(soundsPlayed(), 5u);
    typeKey(SDLK_RETURN);
    EXPECT_FALSE(gameState.nameEntryActive);
    EXPECT_EQ(storedName(), "AB");
    EXPECT_FALSE(fileExists(dir.file("config.dat")));  // typing saves nothing
}

TEST_F(OptionsScreen, BackspaceOnAnEmptyNameIsSilentAndLeavesTenZeroBytes) {
    menuClickAt(platform, 100, kPlayerY);
    sound.calls.clear();
    typeKey(SDLK_BACKSPACE);
    EXPECT_TRUE(sound.calls.empty());
    typeKey(SDLK_RETURN);
    EXPECT_FALSE(gameState.nameEntryActive);
    EXPECT_EQ(std::vector<char>(gameState.config.playerName, gameState.config.playerName + 10),
              std::vector<char>(10, 0));
    // A fresh press on another line ends the typing and acts on that line.
    menuClickAt(platform, 100, kPlayerY);
    typeKey('x');
    menuPassAt(platform, kPlusX, kSpeedY, true);
    EXPECT_FALSE(gameState.nameEntryActive);
    EXPECT_EQ(gameState.config.speed, 51);
    EXPECT_EQ(storedName(), "X");
}

TEST_F(OptionsScreen, NinthCharacterEndsTheEntry) {
    menuClickAt(platform, 100, kPlayerY);
    for (int symbol : {'q', 'w', 'e', 'r', 't', 'y', 'u', 'i'}) typeKey(symbol);
    EXPECT_TRUE(gameState.nameEntryActive);
    typeKey('9');
    EXPECT_FALSE(gameState.nameEntryActive);
    EXPECT_EQ(storedName(), "QWERTYUI9");
    EXPECT_EQ(gameState.config.playerName[9], 0);
    EXPECT_EQ(soundsPlayed(), 10u);
    typeKey('z');  // a plain key again
    EXPECT_EQ(storedName(), "QWERTYUI9");
}

TEST_F(OptionsScreen, DoneWhileTypingEndsTheEntrySavesAndReturnsInOnePass) {
    ConfigRecord& c = gameState.config;
    c.reserved10[1] = 0x0D;   // bytes the options never touch go back as they were
    c.reserved29[10] = 0x1A;
    c.reserved73[6] = 0xFF;
    menuClickAt(platform, 100, kPlayerY);
    typeKey('z');
    typeKey('0');
    menuPassAt(platform, 40, kDoneY, true);
    EXPECT_FALSE(gameState.nameEntryActive);
    EXPECT_EQ(gameState.menuPage, MainMenuPage);
    ASSERT_TRUE(fileExists(dir.file("config.dat")));

    std::vector<unsigned char> expected(80, 0);
    expected[0] = 'Z';
    expected[1] = '0';
    expected[11] = 0x0D;
    expected[12] = 50;  // speed, little-endian
    expected[24] = 1;   // FREE PLAY
    expected[28] = 1;   // music on
    expected[39] = 0x1A;
    expected[72] = 'Y';
    expected[79] = 0xFF;
    EXPECT_EQ(readFileBytes(dir.file("config.dat")), expected);
}

TEST_F(OptionsScreen, EscapeReturnsWithoutSavingAndALaterDoneSavesTheChanges) {
    menuClickAt(platform, 0, kModeY);
    menuClickAt(platform, kMinusX, kSpeedY);
    platform.pushKeyDown(SDLK_ESCAPE);
    runMenuFrame();
    EXPECT_EQ(gameState.menuPage, MainMenuPage);
    EXPECT_EQ(gameState.quitRequested, 0);
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
    platform.pushKeyUp(SDLK_ESCAPE);
    runMenuFrame();

    gameState.menuPage = OptionsPage;
    menuPassAt(platform, 0, kDoneY, true);
    auto bytes = readFileBytes(dir.file("config.dat"));
    ASSERT_EQ(bytes.size(), 80u);
    EXPECT_EQ(bytes[24], TimeAttack);
    EXPECT_EQ(bytes[12], 49);
}

TEST_F(OptionsScreen, LatchedEscapeWaitsForAKeyRelease) {
    gameState.menuPage = MainMenuPage;
    gameState.keyDown[SDLK_ESCAPE] = 1;  // still held from leaving a game
    gameState.keyLatch = 1;
    platform.pushMotion();
    platform.pushMotion();
    platform.pushKeyDown(SDLK_a);
    runMenuFrame();
    EXPECT_EQ(gameState.quitRequested, 0);
    platform.pushKeyUp(SDLK_a);
    runMenuFrame();
    EXPECT_EQ(gameState.keyLatch, 0);
    EXPECT_EQ(gameState.quitRequested, 1);
}

TEST_F(OptionsScreen, WindowCloseQuitsFromEitherPageAndTheQueueIsStillDrawn) {
    for (int page : std::initializer_list<int>{OptionsPage, MainMenuPage}) {
        resetMenuState();
        gameState.menuPage = page;
        gameState.nameEntryActive = page == OptionsPage;  // even while typing
        platform.swaps = 0;
        platform.pushQuit();
        platform.pushMotion();
        runMenuFrame();
        EXPECT_EQ(gameState.quitRequested, 1);
        EXPECT_EQ(gameState.keyDown[SDLK_ESCAPE], 1);
        EXPECT_EQ(platform.swaps, 2);
    }
}
