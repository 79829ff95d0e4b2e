#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rules/game_random.h"
#include "rules/pad_feed.h"
#include "rules/stick_steps.h"
#include "rules/game_state.h"
#include "board_setup.h"
#include "rules/game_clock.h"
#include "game/game_screen.h"
#include "scripted_seams.h"

// The game's clocks and keys, with the tick counter and keyboard scripted.
namespace {
class Game : public ::testing::Test {
protected:
    void SetUp() override { initSceneVariables(gameState); }
    void newGame(int mode) {
        gameState.config.gameMode = mode;
        startNewGame(gameState);
    }
    void frameAt(uint32_t now) {
        platform.ticks = now;
        advanceGameClock(gameState);
    }
    ScriptedPlatform platform;
    RecordingSound sound;
};
using GameClock = Game;
using GameKeys = Game;
}  // namespace

TEST_F(GameClock, CountsRealStepsOnlyAndDrainsTheCountdownFasterWithTime) {
    newGame(TimeAttack);
    frameAt(5000);
    EXPECT_EQ(gameState.elapsedMs, 0u) << "the first frame only notes the time";
    frameAt(5050);
    EXPECT_EQ(gameState.elapsedMs, 50u);
    EXPECT_EQ(gameState.timeLeftMs, 49950u);
    gameState.paused = 1;
    for (uint32_t now = 5100; now <= 65100; now += 50) frameAt(now);
    gameState.paused = 0;
    frameAt(65150);
    EXPECT_EQ(gameState.elapsedMs, 100u) << "a minute of pause counts nothing";
    EXPECT_EQ(gameState.timeLeftMs, 49900u);
    gameState.elapsedMs = 150000;
    gameState.timeLeftMs = 30000;
    frameAt(65200);
    EXPECT_EQ(gameState.timeLeftMs, 29900u) << "after 150 s a 50 ms frame takes 100 ms";
    for (auto [elapsed, factor] : {std::pair{99999u, 1u}, {100000u, 2u}, {299999u, 3u}})
        EXPECT_EQ(drainFactor(elapsed), factor) << elapsed;

    newGame(TimeAttack);
    frameAt(0xFFFFFFF0u);
    frameAt(0x20u);
    EXPECT_EQ(gameState.elapsedMs, 48u) << "the tick counter wraps";
    gameState.timeLeftMs = 51;
    frameAt(0x52u);
    EXPECT_FALSE(gameState.timeUp);
    gameState.timeLeftMs = 50;
    frameAt(0x84u);
    EXPECT_TRUE(gameState.timeUp) << "a step as long as the time left ends the game";
    EXPECT_EQ(gameState.paused, 1);
    EXPECT_EQ(gameState.timeLeftMs, 50u);

    for (int mode : {FreePlay, Hardcore, HundredMoves}) {
        newGame(mode);
        frameAt(1000);
        frameAt(3500);
        EXPECT_EQ(gameState.timeLeftMs, 50000u) << "only TIMEATTACK counts down";
    }
}

TEST_F(GameKeys, EachPressActsOnceWithinTheBoardAndPauseHoldsThePlayKeys) {
    newGame(FreePlay);
    gameState.cursorColumn = 2;
    gameState.cursorRow = 4;
    struct Step {
        std::vector<int> held;  // keys down in this frame
        bool releaseAfter;
        int column, row, paused;
    } steps[] = {
        {{SDLK_RIGHT}, false, 3, 4, 0}, {{SDLK_RIGHT}, true, 3, 4, 0},  // held: no repeat
        {{SDLK_RIGHT}, true, 4, 4, 0},  {{SDLK_RIGHT}, false, 4, 4, 0},  // the cursor covers two columns
        {{SDLK_DOWN}, true, 4, 4, 0},                                    // the used-up press blocks the next key
        {{SDLK_LEFT, SDLK_UP}, true, 3, 4, 0}, {{SDLK_p}, true, 3, 4, 1},
        {{SDLK_DOWN}, true, 3, 4, 1},   {{SDLK_p}, true, 3, 4, 0},       {{SDLK_DOWN}, true, 3, 5, 0},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        for (int key : steps[i].held) setKeyDown(key, 1);
        handleGameKeys(gameState);
        EXPECT_EQ(gameState.cursorColumn, steps[i].column) << "step " << i;
        EXPECT_EQ(gameState.cursorRow, steps[i].row) << "step " << i;
        EXPECT_EQ(gameState.paused, steps[i].paused) << "step " << i;
        if (steps[i].releaseAfter) std::memset(gameState.keyDown, 0, sizeof gameState.keyDown), gameState.keyLatch = 0;
    }
    resetBoard();
    putBlock(3, 5, 1);
    putBlock(4, 5, 2);
    std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
    gameState.keyLatch = 0;
    setKeyDown(SDLK_SPACE, 1);
    handleGameKeys(gameState);
    EXPECT_TRUE(cellAt(3, 5).slidingRight && cellAt(4, 5).slidingLeft) << "space swaps under the cursor";
}

// A game's blocks depend on every number drawn, so the generator is the
// C library's own sequence, whatever the seed, and not the library itself.
TEST(GameRandomNumbers, FollowTheCLibrarysRandForAnySeed) {
    for (unsigned seed : {0u, 1u, 42u, 127773u, 2147483647u, 2147483648u, 3000000000u, 4294967295u, 1765115000u}) {
        std::srand(seed);
        GameRandom random(seed);
        for (int i = 0; i < 20000; ++i) ASSERT_EQ(random.next(), std::rand()) << "seed " << seed << ", draw " << i;
    }
}

// The left stick steps the cursor like the d-pad: one press per push past
// half way, let go only near the middle, so a stick resting near the
// threshold makes no stream of presses.
TEST(LeftStick, PushesBecomeOnePressEach) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> readings;  // axis, value
        std::string changes;  // +button for a press, -button for a release
    } cases[] = {
        {"a push right and back", {{0, 5000}, {0, 20000}, {0, 32767}, {0, 12000}, {0, 3000}}, "+14 -14"},
        {"a push up", {{1, -30000}, {1, 0}}, "+11 -11"},
        {"a wobble about the threshold", {{0, 17000}, {0, 15000}, {0, 17000}, {0, 9000}, {0, 16384}}, "+14"},
        {"a swing across the middle", {{0, -32768}, {0, 32767}}, "+13 -13 +14"},
        {"a flick back past the middle", {{1, 20000}, {1, -12000}}, "+12 -12"},
        {"not far enough", {{0, 16383}, {1, -16383}, {0, -1}}, ""},
        {"the other stick and the triggers", {{2, 32767}, {3, -32768}, {5, 32767}}, ""},
        {"both axes at once", {{0, 30000}, {1, 30000}, {0, 0}, {1, 0}}, "+14 +12 -14 -12"},
    };
    for (const Case& c : cases) {
        StickSteps stick;
        std::string changes;
        for (auto [axis, value] : c.readings) {
            PadChange out[2];
            int count = stick.follow(axis, value, out);
            for (int i = 0; i < count; ++i)
                changes += (changes.empty() ? "" : " ") + std::string(out[i].down ? "+" : "-") + std::to_string(out[i].button);
        }
        EXPECT_EQ(changes, c.changes) << c.what;
    }
}

// A controller read as state: each change of a reading is one press or
// release, whatever stays the same is nothing, and buttons and the stick
// mix freely.
TEST(PadReadings, EachChangeIsOnePressOrRelease) {
    auto bits = [](std::initializer_list<int> buttons) {
        uint32_t mask = 0;
        for (int b : buttons) mask |= uint32_t(1) << b;
        return mask;
    };
    struct Case {
        const char* what;
        std::vector<PadReading> readings;
        std::string changes;
    } cases[] = {
        {"a press held over three readings", {{bits({0}), 0, 0}, {bits({0}), 0, 0}, {bits({0}), 0, 0}, {}}, "+0 -0"},
        {"two at once, let go one by one", {{bits({1, 6}), 0, 0}, {bits({6}), 0, 0}, {}}, "+1 +6 -1 -6"},
        {"the last of 32 buttons", {{bits({31}), 0, 0}, {}}, "+31 -31"},
        {"the stick and a button", {{bits({0}), 0, 30000}, {bits({0}), 0, 30000}, {}}, "+0 +12 -0 -12"},
        {"the stick across, and sideways", {{0, -20000, 0}, {0, 20000, -20000}, {}}, "+13 -13 +14 +11 -14 -11"},
        {"a stick resting near the threshold", {{0, 17000, 0}, {0, 15000, 0}, {0, 17000, 0}}, "+14"},
    };
    for (const Case& c : cases) {
        PadFeed feed;
        std::string changes;
        for (const PadReading& reading : c.readings) {
            PadChange out[PadFeed::kMostChanges];
            int count = feed.follow(reading, out);
            for (int i = 0; i < count; ++i)
                changes += (changes.empty() ? "" : " ") + std::string(out[i].down ? "+" : "-") + std::to_string(out[i].button);
        }
        EXPECT_EQ(changes, c.changes) << c.what;
    }
}

// Through the seam table: one look at the controller each drain of the
// event queue, its changes after the queued events; a controller that goes
// lets go of everything it held.
TEST(PadReadings, OneLookEachDrainAndAControllerThatGoesLetsGo) {
    ScriptedPlatform script;
    auto drain = [] {
        std::string seen;
        for (InputEvent event; readEvent(event);)
            seen += (seen.empty() ? "" : " ") + (event.kind == InputEvent::ButtonDown ? "+" + std::to_string(event.symbol)
                                                 : event.kind == InputEvent::ButtonUp ? "-" + std::to_string(event.symbol)
                                                                                       : std::string("key"));
        return seen;
    };
    EXPECT_EQ(drain(), "") << "no controller";
    script.padOpen = true;
    script.pad.buttons = 1u << 6;
    script.push(SDL_KEYDOWN, SDLK_a);
    EXPECT_EQ(drain(), "key +6");
    EXPECT_EQ(drain(), "") << "held, no new press";
    script.pad.stickY = -32768;
    EXPECT_EQ(drain(), "+11");
    EXPECT_EQ(script.padReadings, 4);
    script.padOpen = false;
    EXPECT_EQ(drain(), "-6 -11");
    EXPECT_EQ(drain(), "");
}
