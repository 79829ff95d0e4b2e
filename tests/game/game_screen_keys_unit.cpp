#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "base/game_state.h"
#include "board_fixture.h"
#include "game/board_rules.h"
#include "game/game_screen.h"
#include "recording_sound.h"
#include "scripted_platform.h"

namespace {
char gameMusic;
char menuMusic;

std::string handleText(const void* p) { return std::to_string(reinterpret_cast<uintptr_t>(p)); }

class GameKeys : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gameState.textures) initSceneVariables(gameState);
        connectScreens();
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
        gameState.config.gameMode = FreePlay;
        gameState.config.musicOn = 1;
        gameState.gameMusicStream = reinterpret_cast<FSOUND_STREAM*>(&gameMusic);
        gameState.menuMusicStream = reinterpret_cast<FSOUND_STREAM*>(&menuMusic);
        gameState.screen = GameScreen;
        startNewGame(gameState);
        gameState.cursorColumn = 2;
        gameState.cursorRow = 4;
    }
    // Holds the keys for one frame's key handling; releasing any key clears the latch.
    void frame(std::initializer_list<int> keys) {
        for (int key : keys) setKeyDown(key, 1);
        handleGameKeys(gameState);
    }
    void releaseAll() {
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
        gameState.keyLatch = 0;
    }
    ScriptedPlatform platform;
    RecordingSound sound;
};
}  // namespace

TEST_F(GameKeys, ArrowsMoveTheCursorOncePerPressWithinTheBoard) {
    frame({SDLK_RIGHT});
    EXPECT_EQ(gameState.cursorColumn, 3);
    EXPECT_EQ(gameState.keyLatch, 1);
    frame({SDLK_RIGHT});
    EXPECT_EQ(gameState.cursorColumn, 3) << "holding a key does not repeat it";
    releaseAll();
    frame({SDLK_RIGHT});
    EXPECT_EQ(gameState.cursorColumn, 4);
    releaseAll();
    // On the last column the press is used up without moving.
    frame({SDLK_RIGHT});
    EXPECT_EQ(gameState.cursorColumn, gameState.boardColumns - 2);
    EXPECT_EQ(gameState.keyLatch, 1);
    frame({SDLK_DOWN});
    EXPECT_EQ(gameState.cursorRow, 4) << "the used-up press blocks the next key";
    releaseAll();

    frame({SDLK_LEFT, SDLK_UP});
    EXPECT_EQ(gameState.cursorColumn, 3);
    EXPECT_EQ(gameState.cursorRow, 4) << "only the first key in order acts";
    releaseAll();
    frame({SDLK_DOWN});
    EXPECT_EQ(gameState.cursorRow, 5);

    gameState.cursorColumn = 0;
    gameState.cursorRow = 0;
    for (int key : {SDLK_LEFT, SDLK_UP}) {
        releaseAll();
        frame({key});
        EXPECT_EQ(gameState.keyLatch, 1);
    }
    EXPECT_EQ(gameState.cursorColumn, 0);
    EXPECT_EQ(gameState.cursorRow, 0);
    gameState.cursorRow = gameState.boardRows - 1;
    releaseAll();
    frame({SDLK_DOWN});
    EXPECT_EQ(gameState.cursorRow, gameState.boardRows - 1);
    EXPECT_EQ(gameState.keyLatch, 1);
}

TEST_F(GameKeys, SpaceSwapsTheTwoCellsUnderTheCursor) {
    resetBoardForTest();
    layBlocks({"..12.."});
    Cell &left = cellAt(2, 8), &right = cellAt(3, 8);
    gameState.cursorRow = 8;

    gameState.paused = 1;
    frame({SDLK_SPACE});
    EXPECT_FALSE(left.busy) << "no swap while paused";
    releaseAll();
    gameState.paused = 0;
    frame({SDLK_SPACE});
    EXPECT_TRUE(left.busy && left.slidingRight && right.busy && right.slidingLeft);
    EXPECT_EQ(gameState.keyLatch, 1);
}

TEST_F(GameKeys, PausePausesEverythingButItselfAndMusicWaitsForTheGame) {
    frame({SDLK_p});
    EXPECT_EQ(gameState.paused, 1);
    releaseAll();
    frame({SDLK_LEFT, SDLK_DOWN});
    EXPECT_EQ(gameState.cursorColumn, 2);
    EXPECT_EQ(gameState.cursorRow, 4);
    EXPECT_EQ(gameState.keyLatch, 0) << "keys ignored while paused use up nothing";
    releaseAll();

    frame({SDLK_m});
    EXPECT_TRUE(sound.calls.empty()) << "M while paused does nothing";
    EXPECT_EQ(gameState.config.musicOn, 1);
    EXPECT_EQ(gameState.keyLatch, 0);
    releaseAll();

    frame({SDLK_p});
    EXPECT_EQ(gameState.paused, 0);
    frame({SDLK_p});
    EXPECT_EQ(gameState.paused, 0) << "P held on does not toggle again";
    releaseAll();
    frame({SDLK_m});
    EXPECT_EQ(sound.calls, std::vector<std::string>{"Stream_Stop " + handleText(&gameMusic)});
    EXPECT_EQ(gameState.config.musicOn, 0);
    EXPECT_EQ(gameState.musicChannel, -1);
    releaseAll();
    frame({SDLK_m});
    EXPECT_EQ(sound.calls.back(), "Stream_Play -1 " + handleText(&gameMusic));
    EXPECT_EQ(gameState.musicChannel, 7);
    EXPECT_EQ(gameState.config.musicOn, 1);
    releaseAll();

    // P and M in one frame: P acts, M waits.
    frame({SDLK_p, SDLK_m});
    EXPECT_EQ(gameState.paused, 1);
    EXPECT_EQ(sound.calls.size(), 2u);
    // In the Over state P still toggles the pause.
    releaseAll();
    gameState.timeUp = true;
    frame({SDLK_p});
    EXPECT_EQ(gameState.paused, 0);
    EXPECT_TRUE(gameState.timeUp);
}

TEST_F(GameKeys, ANewGameResetsItsCountersButNotTheCursor) {
    gameState.cursorColumn = 3;
    gameState.cursorRow = 7;
    gameState.score = 990;
    gameState.blocksDestroyed = 12;
    gameState.removedByKind[3] = 5;
    gameState.removedByKind[9] = 1;
    gameState.timeLeftMs = 3;
    gameState.elapsedMs = 77;
    gameState.lastTick = 1234;
    gameState.pendingDrops = 0;
    gameState.paused = 1;
    gameState.timeUp = true;
    gameState.keyLatch = 1;
    gameState.board.flash = 0.0f;
    platform.seeds.clear();
    startNewGame(gameState);
    EXPECT_EQ(gameState.cursorColumn, 3);
    EXPECT_EQ(gameState.cursorRow, 7);
    EXPECT_EQ(gameState.score, 0u);
    EXPECT_EQ(gameState.blocksDestroyed, 0);
    for (int count : gameState.removedByKind) EXPECT_EQ(count, 0);
    EXPECT_EQ(gameState.timeLeftMs, 50000u);
    EXPECT_EQ(gameState.elapsedMs, 0u);
    EXPECT_EQ(gameState.lastTick, 0u);
    EXPECT_EQ(gameState.pendingDrops, 6);
    EXPECT_EQ(gameState.paused, 0);
    EXPECT_FALSE(gameState.timeUp);
    EXPECT_EQ(gameState.keyLatch, 0);
    EXPECT_FLOAT_EQ(gameState.board.flash, 1.0f);
    ASSERT_EQ(platform.seeds.size(), 1u);
    EXPECT_NEAR(double(platform.seeds[0]), double(static_cast<unsigned>(time(nullptr))), 5.0);
    EXPECT_GT(platform.randomCalls, 0) << "the blocks are dealt";
}
