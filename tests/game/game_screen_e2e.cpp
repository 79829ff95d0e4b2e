#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base/config_file.h"
#include "game_process.h"
#include "render_x_keepalive.h"
#include "scores/highscore_table.h"
#include "temp_dir.h"
#include "x_driver.h"

namespace {
void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool waitForMenu(GameProcess& game) {
    if (!xdriver::waitForWindow(15000)) return false;
    for (int waited = 0; waited < 15000; waited += 100) {
        std::string out = game.out();
        if (out.size() >= 8 && out.compare(out.size() - 8, 8, "..done.\n") == 0) {
            sleepMs(500);
            return true;
        }
        sleepMs(100);
    }
    return false;
}

bool waitForHighscoreFile(const std::string& path, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (fileExists(path) && readFileBytes(path).size() == sizeof(HighscoreStore)) return true;
        sleepMs(50);
    }
    return false;
}

void writeConfig(const std::string& path, int mode) {
    ConfigRecord config{};
    std::memcpy(config.playerName, "RUNNER", 6);
    config.speed = 50;
    config.gameMode = mode;
    config.musicOn = 0;
    config.validMarker = 'Y';
    std::vector<unsigned char> bytes(sizeof config);
    std::memcpy(bytes.data(), &config, sizeof config);
    writeFileBytes(path, bytes);
}

// "GAME OVER" at the top of the window: the word "GAME" stands out from
// the gap of the space after it. A flash of destroyed blocks lights both.
bool gameOverShown(const std::string& shotPath) {
    auto shot = xdriver::screenshot(shotPath);
    if (!shot.valid()) return false;
    return shot.meanBrightness(200, 2, 316, 24) > shot.meanBrightness(322, 2, 346, 24) + 40;
}

// The menu ignores a first Escape while the game's latch still holds; a
// key released in the menu clears it, so the second press at the latest quits.
int quitFromMenu(GameProcess& game) {
    for (int press = 0; press < 2; ++press) {
        xdriver::pressKey("Escape", 300);
        int code = game.waitForExit(3000);
        if (!game.running()) return code;
    }
    return -1;
}

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        keepXServerFromResetting();
        std::filesystem::copy(std::string(QUADRUNE_SOURCE_DIR) + "/data", dir.file("data"),
                              std::filesystem::copy_options::recursive);
    }
    void startGame() {
        xdriver::click(129, 102);  // PLAY
        xdriver::moveMouse(620, 470);
        sleepMs(1000);
    }
    TempDir dir;
};
}  // namespace

TEST_F(GameWindow, ClosingTheWindowInAGameShowsTheHighscoresAndTheProgramGoesOn) {
    GameProcess game(dir.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(waitForMenu(game)) << game.out() << game.err();
    startGame();
    ASSERT_TRUE(xdriver::closeWindow());
    sleepMs(800);
    ASSERT_TRUE(game.running());
    EXPECT_FALSE(fileExists(dir.file("highscore.dat"))) << "only leaving the highscore screen saves";

    xdriver::pressKey("n");
    EXPECT_TRUE(waitForHighscoreFile(dir.file("highscore.dat"), 5000)) << "the highscore screen was left";
    sleepMs(1500);
    EXPECT_TRUE(game.running()) << "the closed window is not taken for a quit in the menu";

    EXPECT_EQ(quitFromMenu(game), 0) << game.out() << game.err();
}

TEST_F(GameWindow, ATimeAttackGameRunsOutShowsGameOverAndIsEntered) {
    writeConfig(dir.file("config.dat"), TimeAttack);
    GameProcess game(dir.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(waitForMenu(game)) << game.out() << game.err();
    startGame();
    EXPECT_FALSE(gameOverShown(dir.file("playing.png")));

    // 50 s of countdown, plus whatever the opening runs add. Game over
    // lasts; it has to show in two pictures taken a second apart.
    bool over = false;
    for (int waited = 0; waited < 150000 && !over; waited += 2000) {
        sleepMs(2000);
        over = gameOverShown(dir.file("over.png"));
        if (over) sleepMs(1000);
        over = over && gameOverShown(dir.file("over.png"));
    }
    ASSERT_TRUE(over) << "no GAME OVER after 150 s";

    xdriver::pressKey("Escape");
    sleepMs(500);
    xdriver::pressKey("n");
    ASSERT_TRUE(waitForHighscoreFile(dir.file("highscore.dat"), 5000));
    auto bytes = readFileBytes(dir.file("highscore.dat"));
    HighscoreStore store;
    std::memcpy(&store, bytes.data(), sizeof store);
    const HighscoreEntry& top = store.tables[1].rows[0];
    EXPECT_STREQ(top.name, "RUNNER");
    EXPECT_GE(top.time, 49000u) << "the game's length in milliseconds";
    EXPECT_LT(top.time, 150000u);

    EXPECT_EQ(quitFromMenu(game), 0);
}
