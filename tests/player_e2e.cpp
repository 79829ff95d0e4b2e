#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "game_driver.h"
#include "rules/game_modes.h"
#include "rules/replay_check.h"
#include "rules/replay_file.h"
#include "loopback_server.h"
#include "score_server_run.h"
#include "test_support.h"
#include "window_manager.h"

// The real binary with the real pictures and sounds, played only through
// the X server of the test's own, as a player would.
namespace {
const Area kPlayItem{30, 65, 230, 140}, kOptionsItem{345, 80, 615, 140}, kExitItem{370, 345, 525, 410};
const Area kBoard{285, 80, 560, 470};
using Env = std::map<std::string, std::string>;
const Env kDummySound{{"SDL_AUDIODRIVER", "dummy"}};

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startOwnXServer());
        linkGameData();
    }
    // The menu takes input once the last loading line is out.
    void reachMenu(ProgramRun& game) {
        ASSERT_TRUE(window.find(game.pid(), 20000)) << game.err();
        ASSERT_TRUE(game.waitForOutput("..done.\n", 20000)) << game.out() << game.err();
    }
    // A picture whose area has stayed the same over ten frames.
    Shot stillShot(Area area, int timeoutMs = 20000) {
        Shot last;
        waitStill(area, last, timeoutMs);
        return last;
    }
    bool waitStill(Area area, Shot& last, int timeoutMs) { return window.waitStill(area, last, timeoutMs); }
    GameWindow window;
};

auto changedFrom(const Shot& before, Area area) {
    return [&before, area](const Shot& now) { return !now.sameIn(before, area); };
}

void expectSavedConfig() {
    std::vector<unsigned char> config(80, 0);
    std::memcpy(config.data(), "PLAYER7", 7);
    config[12] = 51, config[24] = 2, config[28] = 0, config[72] = 'Y';
    EXPECT_EQ(readFileBytes("config.dat"), config);
}

}  // namespace

TEST_F(Player, SetsOptionsPlaysASwapSeesTheHighscoresAndSendsTheResult) {
    ProgramRun game(Env{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "sound.raw"}});
    ASSERT_NO_FATAL_FAILURE(reachMenu(game));
    window.moveMouse(620, 470);
    Shot plain = stillShot({0, 0, 639, 479});
    Shot hovered;
    for (auto [x, y, item] : {std::tuple{129, 102, kPlayItem}, {448, 378, kExitItem}, {482, 112, kOptionsItem}}) {
        window.moveMouse(x, y);
        auto lit = [&, item = item](const Shot& s) { return s.brightness(item) > plain.brightness(item) + 10; };
        EXPECT_TRUE(lit(hovered = window.waitForShot(lit))) << "hover over " << x << "," << y;
    }
    ASSERT_TRUE(window.click(482, 112, changedFrom(hovered, {0, 100, 600, 220}))) << "the options page";
    for (auto [x, y, row] : {std::tuple{20, 115, 103}, {555, 145, 133}, {20, 175, 163}, {20, 205, 193}}) {
        Shot before = window.shot();
        EXPECT_TRUE(window.click(x, y, changedFrom(before, {290, row, 600, row + 24}))) << "option row " << row;
    }
    for (const char* key : {"p", "l", "a", "y", "e", "r", "7"}) {
        Shot before = window.shot();
        EXPECT_TRUE(window.press(key, changedFrom(before, {290, 193, 600, 217}))) << key;
    }
    // The menu reads the mouse's state, so a click could overtake a key still queued.
    Shot typed = window.shot();
    EXPECT_TRUE(window.press("Return", changedFrom(typed, {505, 193, 545, 217}))) << "the typing cursor goes";
    ASSERT_TRUE(window.click(40, 415, [](const Shot&) { return readFileBytes("config.dat").size() == 80; }));
    expectSavedConfig();

    Shot menu = stillShot({0, 0, 639, 479});
    ASSERT_TRUE(window.click(129, 102, changedFrom(menu, {0, 300, 200, 470})));
    window.moveMouse(620, 470);
    // Once the opening blocks have come down: to the bottom row and a swap
    // there; where a block is still on its way down the swap waits, so the
    // next pair is tried.
    stillShot(kBoard);
    for (int step = 0; step < 8; ++step) {
        Shot before = stillShot(kBoard, 2000);
        ASSERT_TRUE(window.press("Down", changedFrom(before, kBoard))) << "cursor step " << step;
    }
    bool swapped = false;
    for (int pair = 0; pair < 5 && !swapped; ++pair) {
        Shot beforeSwap = stillShot(kBoard, 2000);
        swapped = window.press("space", changedFrom(beforeSwap, kBoard), 3000);
        if (!swapped) window.press("Right", changedFrom(beforeSwap, kBoard));
    }
    ASSERT_TRUE(swapped) << "no pair of the bottom row would swap";

    auto titled = [](const Shot& s) { return s.brightness({230, 22, 520, 45}) > s.brightness({230, 78, 520, 95}) + 30; };
    ASSERT_TRUE(window.press("Escape", titled)) << "the HIGHSCORES title";
    // The real score server on port 80 of loopback, where the default build sends its results.
    ProgramRun server(std::vector<std::string>{QUADRUNE_SCORE_SERVER, "--listen", "127.0.0.1:80", "--database", "s.db"}, {});
    ASSERT_TRUE(server.waitForOutput("listening on", 20000)) << server.err();
    auto sent = [](const Shot& s) {  // "DATA SENT!" reaches further right than "FAILED!"
        return s.brightness({320, 232, 400, 256}) > 20 && s.brightness({0, 0, 639, 190}) < 5;
    };
    ASSERT_TRUE(window.press("y", sent, 10000)) << "DATA SENT!";
    std::string json = exchange(80, {"GET /scores.json?mode=2 HTTP/1.1\r\n\r\n"}).body;
    EXPECT_NE(json.find("{\"name\":\"PLAYER7\","), std::string::npos) << "stored as TIMEATTACK: " << json;
    // Its replay came beside it and was played again: the row is verified, on the page too.
    std::size_t link = json.find("\"verified\":true,\"replay\":\"/replays/");
    ASSERT_NE(link, std::string::npos) << json;
    const std::size_t from = link + std::strlen("\"verified\":true,\"replay\":\"");
    const std::string replayPath = json.substr(from, json.find('"', from) - from);
    const std::string browser = "HOME=$PWD timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run"
                                " --disable-background-networking --disable-component-update --user-data-dir=$PWD/profile ";
    ASSERT_EQ(std::system((browser + "--dump-dom http://127.0.0.1:80/ > dom.html 2>/dev/null").c_str()), 0);
    auto dom = readFileBytes("dom.html");
    EXPECT_NE(std::string(dom.begin(), dom.end()).find("PLAYER7<a class=\"v\" href=\"" + replayPath + "\""), std::string::npos)
        << "the verified mark links the replay";
    Answer download = exchange(80, {"GET " + replayPath + " HTTP/1.1\r\n\r\n"});
    ASSERT_EQ(download.status, 200);
    writeFileBytes("downloaded.qrp", std::vector<unsigned char>(download.body.begin(), download.body.end()));
    ASSERT_TRUE(waitFor([] { return readFileBytes("highscore.dat").size() == 9608; }, 5000));
    EXPECT_EQ(readFileBytes("highscore.dat")[1200], 'P') << "TIMEATTACK's first row";

    Shot result = window.shot();
    ASSERT_TRUE(window.press("Return", changedFrom(result, {0, 0, 639, 479})));
    EXPECT_TRUE(window.click(448, 378, [&](const Shot&) { return !game.running(); }));
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
    expectSavedConfig();  // playing never rewrites the settings
    const std::vector<unsigned char> highscores = readFileBytes("highscore.dat");
    auto sound = readFileBytes("sound.raw");
    int loudest = 0;
    for (size_t i = 0; i + 1 < sound.size(); i += 2) loudest = std::max(loudest, std::abs(int16_t(sound[i] | sound[i + 1] << 8)));
    EXPECT_GT(loudest, 1000) << "the menu music reached the audio device";

    // The game left its replay, which plays again to the row that was sent;
    // the copy from the leaderboard can be watched in the window to its end.
    std::vector<std::string> replays;
    for (const auto& entry : std::filesystem::directory_iterator("replays")) replays.push_back(entry.path());
    ASSERT_EQ(replays.size(), 1u);
    EXPECT_EQ(readFileBytes(replays[0]), readFileBytes("downloaded.qrp")) << "the server keeps the file as sent";
    ProgramRun verify({QUADRUNE_BINARY, "--verify-replay", replays[0]}, {});
    EXPECT_EQ(verify.waitForExit(10000), 0) << verify.err();
    EXPECT_EQ(verify.out().substr(0, 20), "TIMEATTACK PLAYER7: ") << verify.out();
    ProgramRun watch({QUADRUNE_BINARY, "--replay", "downloaded.qrp"}, kDummySound);
    ASSERT_TRUE(window.find(watch.pid(), 20000)) << watch.err();
    ASSERT_TRUE(watch.waitForOutput("..done.\n", 20000));
    window.key("Right", true);  // four times as fast while held
    EXPECT_EQ(watch.waitForExit(60000), 0) << watch.err();
    window.key("Right", false);
    EXPECT_EQ(readFileBytes("highscore.dat"), highscores) << "watching writes no highscores";
}

TEST_F(Player, ClosingTheWindowOnTheMenuQuitsAndSavesOnlyTheHighscoresUnlessTheDiskIsFull) {
    const std::vector<unsigned char> old(9608, 0x33);  // unmarked: a save replaces it with the defaults
    signal(SIGXFSZ, SIG_IGN);  // inherited: a write over the limit fails instead of killing the game
    for (const char* limit : {"--fsize=unlimited", "--fsize=9000"}) {
        writeFileBytes("highscore.dat", old);
        ProgramRun game({"/usr/bin/prlimit", limit, QUADRUNE_BINARY}, kDummySound);
        ASSERT_NO_FATAL_FAILURE(reachMenu(game));
        ASSERT_TRUE(window.close());
        EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
        auto saved = readFileBytes("highscore.dat");
        EXPECT_EQ(saved.size(), 9608u) << limit;
        EXPECT_EQ(saved == old, limit[8] == '9') << limit;
        EXPECT_FALSE(fileExists("config.dat") || fileExists("highscore.dat.tmp")) << limit;
    }
}

namespace {
// Reads the preload's log: for each rename onto a file named `name`, whether
// the renamed file had been flushed to disk at its full size since its last
// rename; false for a rename that came first.
std::vector<bool> renamesAfterAFlush(const std::string& log, const std::string& name) {
    std::map<std::string, long long> flushedSize;
    std::vector<bool> verdicts;
    std::istringstream lines(log);
    std::string what, path, newName;
    long long size;
    while (lines >> what >> size >> path) {
        if (what == "sync") {
            flushedSize[path] = size;
            continue;
        }
        lines >> newName;
        if (newName.substr(newName.rfind('/') + 1) == name)  // npos + 1: a name without a folder
            verdicts.push_back(flushedSize.count(path) && flushedSize[path] == size);
        flushedSize.erase(path);
    }
    return verdicts;
}
}  // namespace

// A save's bytes reach the disk before they replace the old file: a power
// cut after the rename can then never leave an empty file behind.
TEST_F(Player, EverySaveIsOnTheDiskBeforeItReplacesTheOldFile) {
    const std::string log = std::filesystem::absolute("saves.log");
    ProgramRun game({{"SDL_AUDIODRIVER", "dummy"}, {"LD_PRELOAD", QUADRUNE_SAVE_ORDER}, {"QUADRUNE_SAVE_LOG", log}});
    ASSERT_NO_FATAL_FAILURE(reachMenu(game));
    window.moveMouse(620, 470);
    Shot menu = stillShot({0, 0, 639, 479});
    // The press is held until it has acted: the menu reads the button's state, and a slow pass
    // could read a quick press and release together as no press at all.
    window.moveMouse(482, 112);
    window.button(true);
    Shot options = window.waitForShot(changedFrom(menu, {0, 150, 280, 220}), 20000);
    window.button(false);
    ASSERT_FALSE(options.sameIn(menu, {0, 150, 280, 220})) << "the options page";
    // Keys are events of their own: Up shows the highlight, Up again takes it round to <DONE>.
    for (const char* key : {"Up", "Up"}) {
        Shot before = window.shot();
        ASSERT_TRUE(window.press(key, changedFrom(before, {0, 95, 639, 440}), 20000)) << key;
    }
    EXPECT_TRUE(window.press("Return", [](const Shot&) { return readFileBytes("config.dat").size() == 80; }, 20000));
    ASSERT_TRUE(window.close());
    EXPECT_EQ(game.waitForExit(20000), 0) << game.err();
    EXPECT_EQ(readFileBytes("highscore.dat").size(), 9608u);
    std::vector<unsigned char> noted = fileExists(log) ? readFileBytes(log) : std::vector<unsigned char>{};
    for (const char* name : {"config.dat", "highscore.dat"})
        EXPECT_EQ(renamesAfterAFlush(std::string(noted.begin(), noted.end()), name), std::vector<bool>{true}) << name;
}

TEST_F(Player, AMissingPictureEndsWithCode12BeforeTheMenuAndWritesNothing) {
    std::filesystem::remove("data/pics/menu_exit_mask.png");
    ProgramRun game(kDummySound);
    EXPECT_EQ(game.waitForExit(20000), 12) << game.out() << game.err();
    std::string out = game.out();
    const std::string last = "Error while loading 'data/pics/menu_exit_mask.png'\n";
    EXPECT_EQ(out.substr(out.size() - std::min(out.size(), last.size())), last);
    EXPECT_FALSE(fileExists("highscore.dat") || fileExists("config.dat"));
}

// Stored files that are no files (or too big) neither hang nor crash the start.
TEST(Startup, WithoutADisplayEndsWithCodeTwoAndTheVideoModeMessageWhateverTheStoredFiles) {
    linkGameData();
    const std::pair<const char*, void (*)(const char*)> kinds[] = {
        {"missing", [](const char*) {}},
        {"a directory", [](const char* p) { mkdir(p, 0755); }},
        {"a FIFO", [](const char* p) { mkfifo(p, 0644); }},
        {"unopenable", [](const char* p) { EXPECT_EQ(symlink(p, p), 0); }},
        {"huge", [](const char* p) { writeFileBytes(p, {'Y'}); EXPECT_EQ(truncate(p, 1L << 34), 0); }},
    };
    for (const char* name : {"config.dat", "highscore.dat"})
        for (auto [what, make] : kinds) {
            make(name);
            ProgramRun game(Env{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
            EXPECT_EQ(game.waitForExit(20000), 2) << name << " " << what;
            EXPECT_EQ(game.out(), "\nInitializing Scene Variables..\n\nInitializing SDL..\nSetting SDL attribs..\n") << name << " " << what;
            EXPECT_NE(game.err().find("Couldn't set 640x480 GL video mode: "), std::string::npos) << game.err();
            EXPECT_TRUE(name[0] == 'c' || !fileExists("config.dat")) << what;
            std::filesystem::remove(name);
        }
}

// A replay that does not hold is refused before any window opens.
TEST(Startup, AReplayIsVerifiedWithoutADisplayAndRefusedWhenItDoesNotHold) {
    std::vector<unsigned char> bytes = readFileBytes(QUADRUNE_SOURCE_DIR "/tests/replays/free-play-51s.qrp");
    writeFileBytes("good.qrp", bytes);
    bytes[200] ^= 1;
    writeFileBytes("flipped.qrp", bytes);
    const Env noDisplay{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    ProgramRun good({QUADRUNE_BINARY, "--verify-replay", "good.qrp"}, noDisplay);
    EXPECT_EQ(good.waitForExit(10000), 0) << good.err();
    EXPECT_EQ(good.out(), "FREE PLAY VELMO: score 120, 3 blocks, 50.683 s\n");
    for (const char* option : {"--verify-replay", "--replay"}) {
        ProgramRun flipped({QUADRUNE_BINARY, option, "flipped.qrp"}, noDisplay);
        EXPECT_EQ(flipped.waitForExit(10000), 1) << option;
        EXPECT_EQ(flipped.err(), "quadrune: flipped.qrp: damaged: its checksum does not match\n") << option;
    }
}

// A logout's SIGTERM, a hang-up, or the X server going away during a game
// ends the program within 2 s, the game's result entered and saved, its
// replay kept.
TEST_F(Player, ALogoutOrTheLossOfTheDisplayDuringAGameEndsItAtOnceAndKeepsTheResult) {
    struct Ending {
        const char* name;
        int exitCode;
        std::function<void(pid_t)> end;
    };
    const Ending endings[] = {
        {"SIGTERM", 0, [](pid_t game) { kill(game, SIGTERM); }},
        {"SIGHUP", 0, [](pid_t game) { kill(game, SIGHUP); }},
        {"the X server's loss", 1, [this](pid_t) { window.letGo(), stopXServer(); }},
    };
    for (const Ending& ending : endings) {
        std::filesystem::remove_all("replays");
        std::vector<unsigned char> config(80, 0);
        std::memcpy(config.data(), "TERM7", 5);
        config[12] = 50, config[24] = 2, config[72] = 'Y';  // TIMEATTACK: every game is entered
        writeFileBytes("config.dat", config);
        ProgramRun game(kDummySound);
        ASSERT_NO_FATAL_FAILURE(reachMenu(game));
        Shot menu = stillShot({0, 0, 639, 479});
        ASSERT_TRUE(window.click(129, 102, changedFrom(menu, {0, 300, 200, 470}))) << "a game";
        stillShot(kBoard);  // its opening blocks down: some game time has passed
        auto sent = std::chrono::steady_clock::now();
        ending.end(game.pid());
        EXPECT_EQ(game.waitForExit(5000), ending.exitCode) << ending.name << game.err();
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(2)) << ending.name;
        std::vector<unsigned char> saved = readFileBytes("highscore.dat");
        ASSERT_EQ(saved.size(), 9608u) << ending.name;
        EXPECT_EQ(std::string(saved.begin() + 1200, saved.begin() + 1205), "TERM7") << ending.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator("replays"), {}), 1) << ending.name;
        std::filesystem::remove("highscore.dat");
    }
}

namespace {
// Where the game's 640 × 480 picture lies in its window, and how large.
struct Layout {
    const char* what;
    int width, height;  // the window's
    int left, top;      // the picture's corner
    double scale;
    Area at(Area a) const {
        auto x = [&](int v) { return left + int(v * scale); };
        auto y = [&](int v) { return top + int(v * scale); };
        return {x(a.x0), y(a.y0), x(a.x1), y(a.y1)};
    }
};

// How many pixels of the picture, brought back to 640 × 480, differ from
// the reference by more than a scaler's blur.
int pixelsOffReference(const Shot& shot, const Layout& layout, const char* reference) {
    Shot want;
    if (!readPngFile(std::string(QUADRUNE_SOURCE_DIR "/tests/reference/pictures/") + reference + ".png", want)) return -1;
    int off = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint8_t* got = shot.at(layout.left + int((x + 0.5) * layout.scale), layout.top + int((y + 0.5) * layout.scale));
            for (int c = 0; c < 3; ++c)
                if (std::abs(got[c] - want.at(x, y)[c]) > 48) {
                    ++off;
                    break;
                }
        }
    return off;
}
}  // namespace

// On a 1920 × 1080 desktop the window opens at twice the game's size; F11 and
// Alt+Enter lay the picture over the whole screen, its shape kept with bars
// at the sides, and back; the mouse picks the item under it at every size;
// the next start remembers full screen.
TEST(Desktop, TheWindowFitsTheScreenGoesFullScreenAndBackAndThePointerStaysExact) {
    ASSERT_TRUE(startOwnXServer("1920x1080x24"));
    linkGameData();
    FullScreenWindowManager manager;
    const Layout windowed{"in a window", 1280, 960, 0, 0, 2.0};
    const Layout fullScreen{"full screen", 1920, 1080, 240, 0, 2.25};
    GameWindow window;
    auto check = [&](const Layout& layout) {
        window.moveMouse(layout.left + 620 * layout.scale, layout.top + 470 * layout.scale);
        auto likeTheMenu = [&](const Shot& s) {
            return s.width == layout.width && s.height == layout.height && pixelsOffReference(s, layout, "menu") < 640 * 480 / 100;
        };
        Shot plain = window.waitForShot(likeTheMenu);
        ASSERT_EQ(std::make_pair(plain.width, plain.height), std::make_pair(layout.width, layout.height)) << layout.what;
        EXPECT_TRUE(likeTheMenu(plain)) << layout.what << ": " << pixelsOffReference(plain, layout, "menu");
        if (layout.left > 0) {
            EXPECT_LT(plain.brightness({0, 0, layout.left - 1, layout.height - 1}), 1) << "the bar on the left";
            EXPECT_LT(plain.brightness({layout.width - layout.left, 0, layout.width - 1, layout.height - 1}), 1);
        }
        for (auto [x, y, item] : {std::tuple{129, 102, kPlayItem}, {448, 378, kExitItem}, {482, 112, kOptionsItem}}) {
            window.moveMouse(layout.left + x * layout.scale, layout.top + y * layout.scale);
            Area lit = layout.at(item);
            auto shows = [&](const Shot& s) { return s.brightness(lit) > plain.brightness(lit) + 10; };
            EXPECT_TRUE(shows(window.waitForShot(shows))) << layout.what << ": the item at " << x << "," << y;
        }
    };
    auto configByte = [] { return readFileBytes("config.dat").size() == 80 ? int(readFileBytes("config.dat")[29]) : -1; };
    std::vector<unsigned char> stored(80, 0);
    std::memcpy(stored.data(), "WIDE4", 5);
    stored[12] = 50, stored[24] = 1, stored[28] = 1, stored[72] = 'Y', stored[79] = 0x5A;  // a later field of another version
    writeFileBytes("config.dat", stored);
    {
        ProgramRun game(kDummySound);
        ASSERT_TRUE(window.find(game.pid(), 20000)) << game.err();
        ASSERT_TRUE(game.waitForOutput("..done.\n", 20000));
        check(windowed);
        window.press("F11", [](const Shot& s) { return s.width == 1920; });
        check(fullScreen);
        EXPECT_EQ(configByte(), 1);
        window.press("F11", [](const Shot& s) { return s.width == 1280; });
        check(windowed);
        EXPECT_EQ(configByte(), 0);
        window.key("Alt_L", true);
        window.press("Return", [](const Shot& s) { return s.width == 1920; });
        window.key("Alt_L", false);
        check(fullScreen);
        EXPECT_EQ(configByte(), 1);
        std::vector<unsigned char> config = readFileBytes("config.dat");
        config[29] = 0;
        EXPECT_EQ(config, stored) << "only the full-screen byte is written";
        window.press("Escape", [&](const Shot&) { return !game.running(); });
        EXPECT_EQ(game.waitForExit(10000), 0);
    }
    ProgramRun again(kDummySound);
    ASSERT_TRUE(window.find(again.pid(), 20000)) << again.err();
    ASSERT_TRUE(again.waitForOutput("..done.\n", 20000));
    check(fullScreen);
    // A game in full screen; QUADRUNE_KEEP_SHOTS names a folder to keep its picture in.
    Shot menu = window.shot();
    const Area logo = fullScreen.at({40, 205, 145, 310});
    auto playing = [&](const Shot& s) { return s.brightness(logo) < menu.brightness(logo) / 2; };
    ASSERT_TRUE(window.click(240 + 129 * 2.25, 102 * 2.25, playing)) << "the menu's logo gives way to the board";
    Shot game = window.waitForShot([&](const Shot& s) { return playing(s) && s.brightness(fullScreen.at({70, 105, 150, 125})) > 20; });
    EXPECT_GT(game.brightness(fullScreen.at({70, 105, 150, 125})), 20) << "the score line";
    if (const char* keep = std::getenv("QUADRUNE_KEEP_SHOTS")) writePngFile(std::string(keep) + "/full-screen.png", game);
}

// A speed hack: the real game with its tick counter slowed to 70 % believes
// less time passed than did, and so a TIMEATTACK countdown drains slower. Its
// replay is refused by the real server, while the same game played at the
// real pace is taken.
TEST_F(Player, ASpeedHackedGamesReplayIsRefusedWhereANormalOneIsTaken) {
    Server server("scores.sqlite3");
    ASSERT_GT(server.port, 0);
    struct Run {
        const char* what;
        Env env;
        int status;
        const char* answer;
    } runs[] = {{"played normally", kDummySound, 200, "replayok"},
                {"with its clock slowed", {{"SDL_AUDIODRIVER", "dummy"}, {"LD_PRELOAD", QUADRUNE_SLOW_TICKS}}, 422,
                 "comes sooner than the game's 50 ms pace allows"}};
    for (const Run& run : runs) {
        std::filesystem::remove_all("replays");
        std::vector<unsigned char> config(80, 0);
        std::memcpy(config.data(), "SPEED1", 6);
        config[12] = 50, config[24] = 2, config[72] = 'Y';
        writeFileBytes("config.dat", config);
        ProgramRun game(run.env);
        ASSERT_NO_FATAL_FAILURE(reachMenu(game));
        Shot menu = stillShot({0, 0, 639, 479});
        ASSERT_TRUE(window.click(129, 102, changedFrom(menu, {0, 300, 200, 470}))) << run.what;
        stillShot(kBoard);  // a few seconds of play
        auto titled = [](const Shot& s) { return s.brightness({230, 22, 520, 45}) > s.brightness({230, 78, 520, 95}) + 30; };
        ASSERT_TRUE(window.press("Escape", titled)) << run.what << ": the highscores";
        Shot scores = window.shot();
        ASSERT_TRUE(window.press("n", changedFrom(scores, {0, 0, 639, 479}))) << run.what << ": back to the menu";
        game.stop(SIGTERM);
        std::vector<std::string> replays;
        for (const auto& entry : std::filesystem::directory_iterator("replays")) replays.push_back(entry.path());
        ASSERT_EQ(replays.size(), 1u) << run.what;
        std::vector<unsigned char> file = readFileBytes(replays[0]);
        Answer answer = exchange(server.port, {replayPost(std::string(file.begin(), file.end()), 2)});
        EXPECT_EQ(answer.status, run.status) << run.what << ": " << answer.body;
        EXPECT_NE(answer.body.find(run.answer), std::string::npos) << run.what << ": " << answer.body;
    }
}

// Today's deal: games begun with --daily at either end of one UTC day open
// on the same board and their replays carry the day's 00:00 as seed; the
// next day's deal is another board. The daily game is a TIMEATTACK game
// whatever the options chose, and the menu's next game is of their mode again.
TEST_F(Player, DailyGamesOfOneDayOpenOnTheSameBoardAndLeaveThePlayersModeAlone) {
    constexpr uint32_t kDay = 20526 * 86400u;  // 2026-03-14, 00:00 UTC
    struct Run {
        const char* what;
        uint32_t clock;
        uint32_t seed;
    } runs[] = {{"just after midnight", kDay + 30, kDay},
                {"late that day", kDay + 86400 - 900, kDay},
                {"the next day", kDay + 86400 + 30, kDay + 86400}};
    std::vector<unsigned char> config(80, 0);
    std::memcpy(config.data(), "DAILY1", 6);
    config[12] = 50, config[24] = 1, config[72] = 'Y';  // FREE PLAY
    writeFileBytes("config.dat", config);
    auto titled = [](const Shot& s) { return s.brightness({230, 22, 520, 45}) > s.brightness({230, 78, 520, 95}) + 30; };
    std::vector<Shot> boards;
    for (const Run& run : runs) {
        std::filesystem::remove_all("replays");
        ProgramRun game({QUADRUNE_BINARY, "--daily"}, {{"SDL_AUDIODRIVER", "dummy"}, {"LD_PRELOAD", QUADRUNE_FIXED_CLOCK},
                                                       {"QUADRUNE_CLOCK", std::to_string(run.clock)}});
        ASSERT_NO_FATAL_FAILURE(reachMenu(game));
        // Once the opening blocks are down, however slow a loaded machine plays them.
        boards.emplace_back();
        ASSERT_TRUE(waitStill(kBoard, boards.back(), 60000)) << run.what << ": the opening blocks never settled";
        ASSERT_TRUE(window.press("Escape", titled)) << run.what << ": the highscores";
        Shot scores = window.shot();
        ASSERT_TRUE(window.press("n", changedFrom(scores, {0, 0, 639, 479}))) << run.what << ": back to the menu";
        bool first = &run == &runs[0];
        if (first) {  // and a game of the player's own mode from there
            Shot menu = stillShot({0, 0, 639, 479});
            ASSERT_TRUE(window.click(129, 102, changedFrom(menu, {0, 300, 200, 470})));
            stillShot(kBoard, 3000);
            ASSERT_TRUE(window.press("Escape", titled)) << "the highscores of the next game";
        }
        game.stop(SIGTERM);
        std::map<int32_t, Replay> byMode;
        for (const auto& entry : std::filesystem::directory_iterator("replays")) {
            Replay replay;
            std::string why;
            ASSERT_TRUE(loadReplayFile(entry.path().c_str(), replay, why)) << entry.path() << ": " << why;
            ReplayVerdict played = checkReplay(replay);
            EXPECT_TRUE(played.matches) << run.what << ", " << entry.path() << ": " << played.why;
            byMode[replay.mode] = replay;
        }
        ASSERT_EQ(byMode.size(), first ? 2u : 1u) << run.what;
        ASSERT_EQ(byMode.count(TimeAttack), 1u) << run.what;
        EXPECT_EQ(byMode[TimeAttack].seed, run.seed) << run.what;
        if (first) {
            EXPECT_GE(byMode[FreePlay].seed, run.clock) << "seeded with its start, as before";
            EXPECT_LT(byMode[FreePlay].seed, run.clock + 600);
            EXPECT_EQ(readFileBytes("highscore.dat")[1200], 'D') << "TIMEATTACK's first row";
        }
        EXPECT_EQ(readFileBytes("config.dat"), config) << run.what;
    }
    EXPECT_TRUE(boards[0].sameIn(boards[1], kBoard)) << "one day, one deal";
    EXPECT_FALSE(boards[0].sameIn(boards[2], kBoard)) << "the next day deals anew";
    if (const char* keep = std::getenv("QUADRUNE_KEEP_SHOTS"))
        for (size_t i = 0; i < boards.size(); ++i) writePngFile(std::string(keep) + "/daily-board-" + std::to_string(i) + ".png", boards[i]);
}

// --daily plays a new game: with a replay to watch or check it is a wrong command line.
TEST(PlayerCommandLine, DailyIsRefusedBesideAReplayAndTheHelpTellsOfIt) {
    for (std::vector<std::string> argv : {std::vector<std::string>{QUADRUNE_BINARY, "--daily", "--replay", "x.qrp"},
                                          {QUADRUNE_BINARY, "x.qrp", "--daily"},
                                          {QUADRUNE_BINARY, "--verify-replay", "x.qrp", "--daily"}}) {
        ProgramRun wrong(argv, {{"DISPLAY", ""}});
        EXPECT_EQ(wrong.waitForExit(10000), 2) << argv[1];
        EXPECT_EQ(wrong.err(), "quadrune: --daily plays a new game; it does not go with a replay\n"
                               "Try 'quadrune --help' for more information.\n");
    }
    ProgramRun help({QUADRUNE_BINARY, "--help"}, {});
    EXPECT_EQ(help.waitForExit(10000), 0);
    EXPECT_NE(help.out().find("      --daily               play today's deal at once"), std::string::npos) << help.out();
}
