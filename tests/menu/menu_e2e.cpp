#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "fixture_data.h"
#include "game_process.h"
#include "temp_dir.h"
#include "x_driver.h"

namespace {
// A bare X server resets when its last client leaves, and a window opened
// during the reset fails; one connection held for the whole run prevents it.
void holdXServer() {
    static Display* held = nullptr;
    if (!held) held = XOpenDisplay(nullptr);
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The menu takes events once start-up has printed its last loading line.
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

bool waitForFile(const std::string& path, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (fileExists(path) && readFileBytes(path).size() == 80) return true;
        sleepMs(50);
    }
    return false;
}

double playItemBrightness(const std::string& shotPath) {
    auto shot = xdriver::screenshot(shotPath);
    return shot.valid() ? shot.meanBrightness(40, 60, 220, 150) : -1;
}

class MenuWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        holdXServer();
        writeFixtureData(dir.path());
    }
    TempDir dir;
};
}  // namespace

TEST_F(MenuWindow, HoverOptionsAndSavingThenExit) {
    GameProcess game(dir.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(waitForMenu(game)) << game.out() << game.err();

    xdriver::moveMouse(620, 450);
    double plain = playItemBrightness(dir.file("plain.png"));
    xdriver::moveMouse(129, 102);
    double hovered = playItemBrightness(dir.file("hovered.png"));
    EXPECT_GT(hovered, plain + 10) << plain << " vs " << hovered;

    xdriver::click(482, 112);  // options
    xdriver::click(20, 115);   // GAMEMODE: TIMEATTACK
    xdriver::click(555, 145);  // SPEED +
    xdriver::click(555, 145);
    xdriver::click(20, 175);   // MUZAIK: OFF
    xdriver::click(20, 205);   // PLAYER
    xdriver::typeKeys({"a", "b", "1", "Return"});
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
    xdriver::click(40, 415);  // <DONE>
    ASSERT_TRUE(waitForFile(dir.file("config.dat"), 3000));
    auto bytes = readFileBytes(dir.file("config.dat"));
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), std::string("AB1\0", 4));
    EXPECT_EQ(bytes[12], 52);
    EXPECT_EQ(bytes[24], 2);
    EXPECT_EQ(bytes[28], 0);
    EXPECT_EQ(bytes[72], 'Y');

    xdriver::click(448, 378);  // exit
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
}

TEST_F(MenuWindow, ClosingTheWindowOnTheOptionsPageEndsWithoutSaving) {
    GameProcess game(dir.path(), {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(waitForMenu(game)) << game.out() << game.err();
    xdriver::click(482, 112);
    xdriver::click(20, 115);
    EXPECT_TRUE(xdriver::closeWindow());
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
}
