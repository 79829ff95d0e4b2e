#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "scores_loopback_server.h"
#include "game_process.h"
#include "temp_dir.h"
#include "x_driver.h"

// A player's whole visit with the real binary, the real pictures and sounds,
// and input only through the X server.
namespace {
using xdriver::Screenshot;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Region {
    int x0, y0, x1, y1;
};
const Region kPlayItem{30, 65, 230, 140};
const Region kOptionsItem{345, 80, 615, 140};
const Region kExitItem{370, 345, 525, 410};

double brightness(const Screenshot& shot, Region r) { return shot.meanBrightness(r.x0, r.y0, r.x1, r.y1); }

// Mean colour of the middle of one board cell; columns from the left, rows
// from the top, 40 pixels apart.
struct Colour {
    double r = 0, g = 0, b = 0;
};
Colour cellColour(const Screenshot& shot, int column, int row) {
    Colour sum;
    int cx = 320 + 40 * column, cy = 110 + 40 * row, count = 0;
    for (int y = cy - 12; y <= cy + 12; ++y)
        for (int x = cx - 12; x <= cx + 12; ++x) {
            auto p = shot.at(x, y);
            sum.r += p.r, sum.g += p.g, sum.b += p.b, ++count;
        }
    return {sum.r / count, sum.g / count, sum.b / count};
}
double distance(Colour a, Colour b) { return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b); }

// Every block face is far brighter than the dark backdrop behind an empty cell.
bool holdsBlock(Colour c) { return (c.r + c.g + c.b) / 3 > 80; }

// Two blocks that differ: their swap shows, and no block falls into either cell.
bool swappablePair(const Screenshot& shot, int column, int row) {
    Colour left = cellColour(shot, column, row), right = cellColour(shot, column + 1, row);
    return holdsBlock(left) && holdsBlock(right) && distance(left, right) >= 60;
}

bool waitForFileSize(const std::string& path, size_t size, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (fileExists(path) && readFileBytes(path).size() == size) return true;
        sleepMs(50);
    }
    return false;
}

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
        xdriver::holdXServer();
        std::filesystem::copy(std::string(QUADRUNE_SOURCE_DIR) + "/data", dir.file("data"),
                              std::filesystem::copy_options::recursive);
    }

    // The loading screen shows while start-up prints; the menu takes input
    // once the last loading line is out.
    void reachMenu(GameProcess& game) {
        ASSERT_TRUE(xdriver::waitForWindow(15000)) << game.err();
        ASSERT_TRUE(game.waitForOutputEnd("..done.\n", 20000)) << game.out() << game.err();
        sleepMs(500);
    }

    Screenshot shot(const std::string& name) { return xdriver::screenshot(dir.file(name + ".png")); }

    // The game redraws on its own schedule, slower on a busy machine: take
    // pictures until one shows what the step needs, or the deadline passes.
    template <typename Shows>
    Screenshot shotShowing(const std::string& name, Shows shows, int timeoutMs = 5000) {
        Screenshot last = shot(name);
        for (int waited = 0; waited < timeoutMs && last.valid() && !shows(last); waited += 100) {
            sleepMs(100);
            last = shot(name);
        }
        return last;
    }

    void expectHighlightOnHover(const Screenshot& plain, Region item, const char* name) {
        auto lit = [&](const Screenshot& s) { return brightness(s, item) > brightness(plain, item) + 10; };
        EXPECT_TRUE(lit(shotShowing(std::string("hover_") + name, lit))) << name;
    }

    // The board at rest: two pictures in a row alike over the board, so no
    // fall, glow or flash is under way (the HUD's clock may still tick).
    Screenshot settledShot(const std::string& name) {
        Screenshot last = shot(name);
        for (int attempt = 0; attempt < 40 && last.valid(); ++attempt) {
            sleepMs(150);
            Screenshot next = shot(name);
            if (sameBoard(last, next)) return next;
            last = next;
        }
        return last;
    }

    static bool sameBoard(const Screenshot& a, const Screenshot& b) {
        if (!a.valid() || !b.valid()) return false;
        for (int y = 80; y < 470; ++y)
            for (int x = 285; x < 560; ++x) {
                auto p = a.at(x, y), q = b.at(x, y);
                if (p.r != q.r || p.g != q.g || p.b != q.b) return false;
            }
        return true;
    }

    void parkPointer() { xdriver::moveMouse(620, 470); }

    // Starts a game from the play item and lets the opening drops land.
    void startGame() {
        xdriver::click(129, 102);
        parkPointer();
        sleepMs(3000);
    }

    TempDir dir;
    std::map<std::string, std::string> quiet{{"SDL_AUDIODRIVER", "dummy"}};
};

// The cursor's two cells trade places, or the swap made a run and the
// score line changed.
void expectSwapped(const Screenshot& before, const Screenshot& after, int column, int row) {
    Colour left = cellColour(before, column, row), right = cellColour(before, column + 1, row);
    bool traded = distance(cellColour(after, column, row), right) < 30 &&
                  distance(cellColour(after, column + 1, row), left) < 30;
    bool scored = std::fabs(before.meanBrightness(70, 100, 260, 125) - after.meanBrightness(70, 100, 260, 125)) > 0.5;
    EXPECT_TRUE(traded || scored);
}

// Black result screen; "DATA SENT!" reaches further right than "FAILED!",
// and "PRESS ANY KEY" starts further right than "SEND DATA AGAIN? (Y/N)".
bool dataSentShown(const Screenshot& shot) {
    return shot.meanBrightness(320, 232, 400, 256) > 20 && shot.meanBrightness(20, 262, 75, 286) < 5 &&
           shot.meanBrightness(0, 0, 639, 190) < 5;
}

void expectRequest(const std::string& request, const std::string& name) {
    const std::string header =
        "POST /score.php?mode=2 HTTP/1.1\r\n"
        "Host: localhost\r\n"
        "User-Agent: Quadrune/0.145a Velmo/2006\r\n"
        "Content-Type: application/octet-stream\r\n"
        "Connection: keep-alive\r\n"
        "Content-Length: 129\r\n\r\n";
    ASSERT_EQ(request.size(), header.size() + 129) << request;
    EXPECT_EQ(request.substr(0, header.size()), header);
    std::string body = request.substr(header.size());
    EXPECT_EQ(body.substr(0, 5), "data=");
    EXPECT_EQ(body.substr(125), "0120");
    std::string record = body.substr(5, 120);
    EXPECT_EQ(record.substr(0, 10), name + std::string(10 - name.size(), '\0'));
    uint32_t time = 0;
    std::memcpy(&time, record.data() + 64, 4);
    EXPECT_GT(time, 2000u) << "the game's milliseconds";
    EXPECT_LT(time, 60000u);
    EXPECT_EQ(record.substr(68), std::string(52, '\0')) << "reserved bytes stay zero";
}
}  // namespace

TEST_F(Player, MenuOptionsGameHighscoresAndUpload) {
    GameProcess game(dir.path(), quiet);
    ASSERT_NO_FATAL_FAILURE(reachMenu(game));

    parkPointer();
    Screenshot plain = shot("menu");
    ASSERT_TRUE(plain.valid());
    xdriver::moveMouse(129, 102);
    expectHighlightOnHover(plain, kPlayItem, "play");
    xdriver::moveMouse(482, 112);
    expectHighlightOnHover(plain, kOptionsItem, "options");
    xdriver::moveMouse(448, 378);
    expectHighlightOnHover(plain, kExitItem, "exit");

    xdriver::click(482, 112);
    xdriver::click(20, 115);  // GAMEMODE: TIMEATTACK
    for (int i = 0; i < 3; ++i) xdriver::click(555, 145);  // SPEED 53
    xdriver::click(20, 175);  // MUZAIK: OFF
    xdriver::click(20, 205);  // PLAYER
    xdriver::typeKeys({"p", "l", "a", "y", "e", "r", "7", "Return"});
    xdriver::click(40, 415);  // <DONE>
    ASSERT_TRUE(waitForFileSize(dir.file("config.dat"), 80, 3000));
    auto config = readFileBytes(dir.file("config.dat"));
    std::vector<unsigned char> expected(80, 0);
    std::memcpy(expected.data(), "PLAYER7", 7);
    expected[12] = 53;
    expected[24] = 2;
    expected[28] = 0;
    expected[72] = 'Y';
    EXPECT_EQ(config, expected);

    startGame();
    Screenshot top = settledShot("game_top");
    for (int i = 0; i < 8; ++i) xdriver::pressKey("Down");
    Screenshot bottom = settledShot("game_bottom");
    EXPECT_GT(bottom.meanBrightness(297, 412, 299, 448), top.meanBrightness(297, 412, 299, 448) + 40)
        << "the cursor's frame moved down to the bottom row";
    // A swap of two blocks of one kind would show nothing: find two that differ.
    int column = 0;
    while (column < 4 && !swappablePair(bottom, column, 8)) {
        xdriver::pressKey("Right");
        ++column;
        sleepMs(200);
        bottom = shot("game_bottom");
    }
    ASSERT_TRUE(swappablePair(bottom, column, 8)) << "no two different blocks side by side on the bottom row";
    xdriver::pressKey("space");
    sleepMs(300);
    expectSwapped(bottom, settledShot("game_swapped"), column, 8);

    xdriver::pressKey("Escape");
    auto titled = [](const Screenshot& s) {
        return s.meanBrightness(230, 22, 520, 45) > s.meanBrightness(230, 78, 520, 95) + 30;
    };
    EXPECT_TRUE(titled(shotShowing("highscores", titled)))
        << "the HIGHSCORES title stands out from the gap below the mode's title";

    // Port 80 on loopback, where the default build sends its results; the
    // connection stays open until the game has read the answer.
    ScoresServerReply answer;
    answer.packets = {"HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\ndataok"};
    answer.holdMs = 1500;
    ScoresLoopbackServer server({answer}, 60000, 80);
    xdriver::pressKey("y");
    EXPECT_TRUE(dataSentShown(shotShowing("sent", dataSentShown)));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NO_FATAL_FAILURE(expectRequest(server.requests()[0], "PLAYER7"));
    ASSERT_TRUE(waitForFileSize(dir.file("highscore.dat"), 9608, 1000));

    xdriver::pressKey("Return");
    sleepMs(500);
    xdriver::click(448, 378);  // exit
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
    auto highscores = readFileBytes(dir.file("highscore.dat"));
    ASSERT_EQ(highscores.size(), 9608u);
    EXPECT_EQ(highscores[9600], 'Y');
    EXPECT_EQ(readFileBytes(dir.file("config.dat")), expected) << "playing never rewrites the settings";
}

TEST_F(Player, ClosingTheWindowOnTheMenuQuitsAndSavesOnlyTheHighscores) {
    GameProcess game(dir.path(), quiet);
    ASSERT_NO_FATAL_FAILURE(reachMenu(game));
    xdriver::moveMouse(129, 102);
    ASSERT_TRUE(xdriver::closeWindow());
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
    EXPECT_EQ(readFileBytes(dir.file("highscore.dat")).size(), 9608u);
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
}

TEST_F(Player, ClosingTheWindowOnTheHighscoresWaitsForAKeyThenQuits) {
    GameProcess game(dir.path(), quiet);
    ASSERT_NO_FATAL_FAILURE(reachMenu(game));
    startGame();
    xdriver::pressKey("Escape");
    sleepMs(600);
    Screenshot before = shot("highscores");
    ASSERT_TRUE(xdriver::closeWindow());
    sleepMs(1000);
    ASSERT_TRUE(game.running());
    Screenshot after = shot("still_highscores");
    EXPECT_LT(std::fabs(after.meanBrightness(0, 0, 639, 479) - before.meanBrightness(0, 0, 639, 479)), 1.0)
        << "the highscore screen stays up";
    EXPECT_FALSE(fileExists(dir.file("highscore.dat")));

    // The key leaves the screen; back in the menu the close request still
    // holds Escape, and its release frees the latch, so the game ends.
    xdriver::pressKey("n");
    EXPECT_TRUE(waitForFileSize(dir.file("highscore.dat"), 9608, 3000));
    EXPECT_EQ(game.waitForExit(5000), 0) << game.err();
}

TEST_F(Player, AMissingMenuPictureEndsWithCode12BeforeTheMenuAndWritesNothing) {
    std::filesystem::remove(dir.file("data/pics/menu_exit_mask.png"));
    GameProcess game(dir.path(), quiet);
    EXPECT_EQ(game.waitForExit(20000), 12) << game.out() << game.err();
    const std::string tail = "Error while loading 'data/pics/menu_exit_mask.png'\n";
    std::string out = game.out();
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_FALSE(fileExists(dir.file("highscore.dat")));
    EXPECT_FALSE(fileExists(dir.file("config.dat")));
}
