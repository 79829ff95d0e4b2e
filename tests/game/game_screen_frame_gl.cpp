#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "base/game_state.h"
#include "game/board_rules.h"
#include "game/game_screen.h"
#include "gl_context.h"
#include "menu/menu_screen.h"
#include "recording_sound.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "scores/highscore_table.h"
#include "scripted_platform.h"
#include "temp_dir.h"

namespace {
char gameMusic;
char menuMusic;

std::string handleText(const void* p) { return std::to_string(reinterpret_cast<uintptr_t>(p)); }

GLuint solidTexture(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 16; ++i) pixels.insert(pixels.end(), {r, g, b, 255});
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return name;
}

// Dark pictures for the whole scene and a plain white font, so that text is
// the only white on the screen where the overlays go.
void loadTestScene() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    for (int slot = 1; slot <= 20; ++slot) gameState.textures[slot] = solidTexture(0, 0, 40);
    gameState.textures[21] = solidTexture(255, 255, 255);
    gameState.displayListBase = glGenLists(5);
    buildDisplayLists();
    buildFontLists();
}

class GameFrame : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no X display";
        dir.enter();
        connectScreens();
        loadTestScene();
        resizeScene(gameState, 640, 480);
        glClearColor(0, 0, 0, 0);
        glEnable(GL_DEPTH_TEST);
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
        std::memset(&gameState.highscores, 0, sizeof gameState.highscores);
        gameState.config.musicOn = 1;
        gameState.gameMusicStream = reinterpret_cast<FSOUND_STREAM*>(&gameMusic);
        gameState.menuMusicStream = reinterpret_cast<FSOUND_STREAM*>(&menuMusic);
        gameState.quitRequested = 0;
        gameState.menuPage = MainMenuPage;
        gameState.nameEntryActive = false;
        std::memcpy(gameState.config.playerName, "TESTER\0\0\0\0", 10);
        platform.onSwap = [this] { onSwap(); };
    }
    void newGame(int mode) {
        gameState.config.gameMode = mode;
        startNewGame(gameState);
        gameState.screen = GameScreen;
    }
    // Runs one game frame with the tick counter at `now`.
    void frameAt(uint32_t now) {
        platform.ticks = now;
        idleSwaps = 0;
        runGameFrame(gameState);
    }
    // The highscore screen waits for a key that goes down after the game
    // frame took its events; this key arrives with its first picture.
    void answerHighscoreScreen(int key) {
        answerKey = key;
        answered = false;
    }
    void onSwap() {
        if (answerKey != 0) {
            platform.pushKeyDown(answerKey);
            answerKey = 0;
            answered = true;
        } else if (platform.events.empty() && ++idleSwaps > 1000) {
            // A screen that waits on and on for a key: fail instead of hanging.
            ADD_FAILURE() << "a screen waited for a key that never came";
            platform.pushKeyDown(SDLK_n);
            idleSwaps = 0;
        }
    }
    void emptyBoard() {
        for (int c = 0; c < gameState.boardColumns; ++c)
            for (int r = 0; r < gameState.boardRows; ++r) {
                resetCell(gameState.board.cells[c][r]);
                gameState.board.cells[c][r].empty = true;
            }
        gameState.pendingDrops = 0;
        gameState.board.flash = 0.0f;
        gameState.board.particles.clear();
    }
    bool white(int x, int yFromTop) {
        Rgb p = pixelAtTop(x, yFromTop);
        return p.r > 240 && p.g > 240 && p.b > 240;
    }
    // Every glyph square of `text` drawn at (x, y) is white in its middle,
    // and spaces are not.
    void expectTextAt(const std::string& text, int x, int y) {
        for (size_t i = 0; i < text.size(); ++i) {
            int cx = x + 30 * static_cast<int>(i) + 13;
            EXPECT_EQ(white(cx, y + 13), text[i] != ' ') << text << " glyph " << i;
        }
        EXPECT_FALSE(white(x + 28, y + 13)) << "gap after the first glyph of " << text;
    }

    TempDir dir;
    ScriptedPlatform platform;
    RecordingSound sound;
    bool answered = false;
    int answerKey = 0;
    int idleSwaps = 0;
};
}  // namespace

TEST_F(GameFrame, KeysComeFromEventsAndOnePressActsOnce) {
    newGame(FreePlay);
    gameState.cursorColumn = 0;
    gameState.cursorRow = 0;
    platform.pushKeyDown(SDLK_RIGHT);
    frameAt(1000);
    frameAt(1050);
    EXPECT_EQ(gameState.cursorColumn, 1) << "a held key does not repeat";
    platform.pushKeyUp(SDLK_RIGHT);
    platform.pushKeyDown(SDLK_DOWN);
    platform.pushKeyDown(SDLK_LEFT);
    frameAt(1100);
    EXPECT_EQ(gameState.cursorColumn, 0) << "Left comes before Down";
    EXPECT_EQ(gameState.cursorRow, 0);
    platform.pushKeyUp(SDLK_LEFT);
    frameAt(1150);
    EXPECT_EQ(gameState.cursorRow, 1) << "the key still held acts once another is released";
    // A press and release between two frames only clears the latch.
    platform.pushKeyUp(SDLK_DOWN);
    platform.pushKeyDown(SDLK_RIGHT);
    platform.pushKeyUp(SDLK_RIGHT);
    frameAt(1200);
    EXPECT_EQ(gameState.cursorColumn, 0);
    EXPECT_EQ(gameState.keyLatch, 0);
    // Symbols outside the key table are ignored.
    for (int symbol : {kKeyTableSize, 5000, -3}) {
        SDL_Event odd{};
        odd.type = SDL_KEYDOWN;
        std::memcpy(&odd.key.keysym.sym, &symbol, sizeof symbol);
        platform.pushEvent(odd);
    }
    std::vector<uint8_t> before(gameState.keyDown, gameState.keyDown + kKeyTableSize);
    frameAt(1250);
    EXPECT_EQ(std::vector<uint8_t>(gameState.keyDown, gameState.keyDown + kKeyTableSize), before);
    EXPECT_EQ(gameState.keyLatch, 0);
}

TEST_F(GameFrame, EscapeInEveryStateEntersTheResultAndShowsTheHighscores) {
    struct Case {
        const char* name;
        int paused;
        bool timeUp;
    };
    for (Case c : {Case{"playing", 0, false}, Case{"paused", 1, false}, Case{"over", 1, true}}) {
        SCOPED_TRACE(c.name);
        newGame(TimeAttack);
        frameAt(1000);
        gameState.score = 500 + 10 * c.paused + c.timeUp;
        gameState.elapsedMs = 61000;
        gameState.paused = c.paused;
        gameState.timeUp = c.timeUp;
        gameState.keyLatch = 1;  // Escape does not wait for the latch
        sound.calls.clear();
        platform.swaps = 0;
        answerHighscoreScreen(SDLK_n);
        std::remove(kHighscoreFileName);
        platform.pushKeyDown(SDLK_ESCAPE);
        frameAt(1050);

        EXPECT_EQ(gameState.screen, MenuScreen);
        EXPECT_EQ(gameState.keyLatch, 1);
        EXPECT_EQ(gameState.quitRequested, 0);
        const HighscoreEntry& top = gameState.highscores.tables[1].rows[0];
        EXPECT_EQ(top.score, gameState.score);
        EXPECT_STREQ(top.name, "TESTER");
        EXPECT_TRUE(answered);
        EXPECT_EQ(platform.pendingEvents(), 0u) << "the highscore screen took its key";
        EXPECT_GE(platform.swaps, 2) << "the highscore screen and then the rest of the game frame";
        EXPECT_TRUE(fileExists(kHighscoreFileName)) << "the highscore screen saved";
        EXPECT_EQ(sound.calls, (std::vector<std::string>{"Stream_Stop " + handleText(&gameMusic),
                                                         "Stream_Play -1 " + handleText(&menuMusic)}));
        EXPECT_EQ(gameState.musicChannel, 7);
    }

    // With the music off nothing is switched.
    newGame(Hardcore);
    gameState.config.musicOn = 0;
    sound.calls.clear();
    answerHighscoreScreen(SDLK_n);
    platform.pushKeyDown(SDLK_ESCAPE);
    frameAt(2000);
    EXPECT_EQ(gameState.screen, MenuScreen);
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_TRUE(answered);
}

TEST_F(GameFrame, ClosingTheWindowLeavesTheGameButNotTheProgram) {
    newGame(FreePlay);
    frameAt(1000);
    gameState.elapsedMs = 120000;
    gameState.score = 2400;
    answerHighscoreScreen(SDLK_SPACE);
    platform.pushQuit();
    frameAt(1050);
    EXPECT_EQ(gameState.screen, MenuScreen);
    EXPECT_EQ(gameState.quitRequested, 0);
    EXPECT_EQ(gameState.highscores.tables[0].rows[0].score, 2400u);
    EXPECT_DOUBLE_EQ(gameState.highscores.tables[0].rows[0].scorePerSecond, 20.0);
    EXPECT_TRUE(answered);

    // The key that left the highscore screen is released in the menu. A
    // real Escape would have been released by now; the closed window's must
    // not be taken for a quit.
    platform.pushKeyUp(SDLK_SPACE);
    runMenuFrame();
    EXPECT_EQ(gameState.keyLatch, 0);
    EXPECT_EQ(gameState.quitRequested, 0);

    // The next game starts with no Escape pending.
    newGame(FreePlay);
    answerHighscoreScreen(SDLK_n);
    frameAt(3000);
    EXPECT_EQ(gameState.screen, GameScreen);
}

TEST_F(GameFrame, PInTheOverStateRunsTheRulesUntilAStepReachesTheTimeLeft) {
    newGame(TimeAttack);
    frameAt(1000);
    gameState.timeLeftMs = 100;
    frameAt(1150);
    ASSERT_TRUE(gameState.timeUp);
    ASSERT_EQ(gameState.paused, 1);
    EXPECT_EQ(gameState.timeLeftMs, 100u);

    emptyBoard();
    gameState.board.cells[0][0].empty = false;
    gameState.board.cells[0][0].kind = 3;
    const Cell& block = gameState.board.cells[0][0];
    frameAt(1200);
    EXPECT_FALSE(block.falling) << "the rules stand still while the game is over";

    platform.pushKeyDown(SDLK_p);
    frameAt(1230);
    EXPECT_EQ(gameState.paused, 0);
    EXPECT_TRUE(block.falling) << "the rules ran";
    platform.pushKeyUp(SDLK_p);
    frameAt(1290);
    EXPECT_EQ(gameState.paused, 0);
    EXPECT_EQ(block.fallProgress, 10);
    EXPECT_EQ(gameState.timeLeftMs, 100u) << "the time left is no longer reduced";
    frameAt(1390);
    EXPECT_EQ(gameState.paused, 1) << "a step of 100 ms reaches the time left";
    EXPECT_TRUE(gameState.timeUp);
    EXPECT_EQ(block.fallProgress, 20) << "the rules ran once more before the clock";
    frameAt(1440);
    EXPECT_EQ(block.fallProgress, 20);
}

TEST_F(GameFrame, TheCursorKeepsItsPlaceIntoTheNextGame) {
    newGame(FreePlay);
    gameState.cursorColumn = 0;
    gameState.cursorRow = 0;
    for (int key : {SDLK_RIGHT, SDLK_RIGHT, SDLK_DOWN}) {
        platform.pushKeyDown(key);
        platform.ticks += 50;
        runGameFrame(gameState);
        platform.pushKeyUp(key);
    }
    answerHighscoreScreen(SDLK_n);
    platform.pushKeyDown(SDLK_ESCAPE);
    platform.ticks += 50;
    runGameFrame(gameState);
    ASSERT_EQ(gameState.screen, MenuScreen);
    newGame(FreePlay);
    EXPECT_EQ(gameState.cursorColumn, 2);
    EXPECT_EQ(gameState.cursorRow, 1);
}

TEST_F(GameFrame, PausedAndGameOverTextsAppearAtTheirPlaces) {
    newGame(TimeAttack);
    gameState.cursorColumn = 0;
    gameState.cursorRow = 0;
    emptyBoard();
    frameAt(1000);
    EXPECT_FALSE(white(250 + 13, 240 + 13)) << "no overlay while playing";

    platform.pushKeyDown(SDLK_p);
    frameAt(1050);
    ASSERT_EQ(gameState.paused, 1);
    expectTextAt("PAUSED", 250, 240);
    EXPECT_FALSE(white(250 + 13, 240 - 3)) << "above the glyphs";
    EXPECT_FALSE(white(250 + 13, 240 + 30)) << "below the glyphs";
    EXPECT_FALSE(white(200 + 13, 450 + 13));

    platform.pushKeyUp(SDLK_p);
    platform.pushKeyDown(SDLK_p);
    frameAt(1100);
    ASSERT_EQ(gameState.paused, 0);
    gameState.timeLeftMs = 20;
    gameState.elapsedMs = 12280;
    frameAt(1150);
    ASSERT_TRUE(gameState.timeUp);
    frameAt(1200);
    expectTextAt("GAME OVER", 200, 0);
    expectTextAt("TIME: 12.3", 200, 27);
    expectTextAt("(PRESS ESC)", 200, 450);
    EXPECT_FALSE(white(250 + 13, 240 + 13)) << "no PAUSED over an ended game";
}
