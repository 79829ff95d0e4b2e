#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <filesystem>
#include <string>
#include <vector>

#include "game_driver.h"
#include "rules/pad_buttons.h"
#include "rules/replay_file.h"
#include "test_support.h"
#include "virtual_pad.h"

// The real binary over the real sdl12-compat and SDL 2, played with nothing
// but a game controller: SDL 2's virtual one, which sdl12-compat lists as it
// would a pad in the player's hands.
namespace {
const Area kPlayItem{30, 65, 230, 140}, kBoard{285, 80, 560, 470}, kWhole{0, 0, 639, 479};
const Area kPausedLine{240, 220, 420, 262};

auto changedFrom(const Shot& before, Area area) {
    return [&before, area](const Shot& now) { return !now.sameIn(before, area); };
}
auto titled = [](const Shot& s) { return s.brightness({230, 22, 520, 45}) > s.brightness({230, 78, 520, 95}) + 30; };

std::vector<std::string> replayFiles() {
    std::vector<std::string> files;
    if (std::filesystem::exists("replays"))
        for (const auto& entry : std::filesystem::directory_iterator("replays")) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// The buttons a replay's frames hold pressed, in order.
std::vector<int> pressesIn(const std::string& file) {
    Replay replay;
    std::string why;
    EXPECT_TRUE(loadReplayFile(file.c_str(), replay, why)) << why;
    std::vector<int> presses;
    for (const InputEvent& event : replay.frames.events)
        if (event.kind == InputEvent::ButtonDown) presses.push_back(event.symbol);
    return presses;
}

class Controller : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(startOwnXServer());
        linkGameData();
        std::vector<unsigned char> config(80, 0);
        std::memcpy(config.data(), "PAD9", 4);
        config[12] = 50, config[24] = 2, config[72] = 'Y';  // TIMEATTACK: every game is entered
        writeFileBytes("config.dat", config);
    }
    void start(ProgramRun& game) {
        ASSERT_TRUE(window.find(game.pid(), 20000)) << game.err();
        ASSERT_TRUE(game.waitForOutput("..done.\n", 20000)) << game.out() << game.err();
    }
    Shot stillShot(Area area, int timeoutMs = 20000) {
        Shot last;
        window.waitStill(area, last, timeoutMs);
        return last;
    }
    // A press the board answers: the cursor moves, or a pair swaps. The
    // countdown runs meanwhile, so only a swap waits for the board to settle.
    bool boardAnswers(const std::function<bool()>& press, int timeoutMs = 5000, bool settle = false) {
        Shot before = settle ? stillShot(kBoard, 3000) : window.shot();
        return press() && window.waitForShot(changedFrom(before, kBoard), timeoutMs).sameIn(before, kBoard) == false;
    }
    // From the menu, with the pointer never moved: the first Down lights PLAY.
    void playFromTheMenu() {
        Shot menu = stillShot(kWhole);
        auto playLit = [&](const Shot& s) { return s.brightness(kPlayItem) > menu.brightness(kPlayItem) + 10; };
        ASSERT_TRUE(pad.press(kPadDown));
        ASSERT_TRUE(playLit(window.waitForShot(playLit))) << "Down lights PLAY";
        ASSERT_TRUE(pad.press(kPadSouth));
        ASSERT_TRUE(window.waitForShot(changedFrom(menu, {0, 300, 200, 470})).sameIn(menu, {0, 300, 200, 470}) == false)
            << "South on PLAY starts a game";
    }
    void playsTheWholeGame(bool eventsToo);
    GameWindow window;
    VirtualPad pad;
};

void keep(const Shot& shot, const char* name) {
    if (const char* folder = std::getenv("QUADRUNE_KEEP_SHOTS")) writePngFile(std::string(folder) + "/" + name + ".png", shot);
}
}  // namespace

// Menu, a game with the d-pad, the stick, South, Start and East, and the
// highscore prompt, declined; the pad, idle for seconds at a time, stays
// open throughout, and the replay holds each press once. With SDL
// 2's game-controller part running, sdl12-compat also sends the
// controller's events: no press may then count twice.
void Controller::playsTheWholeGame(bool eventsToo) {
    if (eventsToo) pad.send("gamecontroller");
    pad.send("attach");
    ProgramRun game(pad.env({{"SDL_AUDIODRIVER", "dummy"}}));
    ASSERT_NO_FATAL_FAILURE(start(game));
    ASSERT_EQ(pad.status().pads, 1) << "listed at the start";
    ASSERT_NO_FATAL_FAILURE(playFromTheMenu());
    std::vector<int> pressed;  // in the game, where its replay begins
    stillShot(kBoard);  // the opening blocks down
    // Down to the bottom row from the top: the deal leaves higher rows
    // empty often enough that no pair there could be swapped.
    for (int step = 0; step < 8; ++step) {
        bool dpad = step % 2 == 0;
        EXPECT_TRUE(boardAnswers([&] { return dpad ? pad.press(kPadDown) : pad.push(kStickAxisY, 32767); }))
            << (dpad ? "the d-pad" : "the stick") << " down, step " << step;
        pressed.push_back(kPadDown);
    }
    EXPECT_TRUE(boardAnswers([&] { return pad.push(kStickAxisX, 32767); })) << "the stick right";
    pressed.push_back(kPadRight);
    bool swapped = false;
    for (int pair = 0; pair < 5 && !swapped; ++pair) {
        swapped = boardAnswers([&] { return pad.press(kPadSouth); }, 3000, true);
        pressed.push_back(kPadSouth);
        if (!swapped) {
            EXPECT_TRUE(boardAnswers([&] { return pad.press(kPadRight); }));
            pressed.push_back(kPadRight);
        }
    }
    EXPECT_TRUE(swapped) << "South swaps a pair";
    keep(window.shot(), eventsToo ? "game-events" : "game");

    Shot playing = stillShot(kPausedLine, 3000);
    auto pausedShown = [&](const Shot& s) { return s.brightness(kPausedLine) > playing.brightness(kPausedLine) + 5; };
    ASSERT_TRUE(pad.press(kPadStart));
    Shot paused = window.waitForShot(pausedShown);
    EXPECT_TRUE(pausedShown(paused)) << "Start pauses";
    keep(paused, "paused");
    ASSERT_TRUE(pad.press(kPadStart));
    EXPECT_FALSE(pausedShown(window.waitForShot([&](const Shot& s) { return !pausedShown(s); }))) << "Start resumes";
    pressed.insert(pressed.end(), {kPadStart, kPadStart});
    ASSERT_TRUE(pad.press(kPadEast));
    pressed.push_back(kPadEast);
    Shot table = window.waitForShot(titled);
    ASSERT_TRUE(titled(table)) << "East leaves the game for the highscores";
    keep(table, "highscores");
    ASSERT_TRUE(pad.press(kPadWest));
    Shot menu = window.waitForShot(changedFrom(table, kWhole));
    EXPECT_FALSE(titled(menu)) << "West declines the upload";
    ASSERT_TRUE(waitFor([] { return replayFiles().size() == 1; }, 5000));
    EXPECT_EQ(game.out().find("SDLNet"), std::string::npos) << "nothing was sent";
    const std::string firstGame = replayFiles()[0];
    EXPECT_EQ(pressesIn(firstGame), pressed) << "each press once, in the order made";

    ProgramRun verify({QUADRUNE_BINARY, "--verify-replay", firstGame}, {});
    EXPECT_EQ(verify.waitForExit(10000), 0) << verify.err();
    EXPECT_EQ(verify.out().substr(0, 17), "TIMEATTACK PAD9: ") << verify.out();
    auto saved = readFileBytes("highscore.dat");
    ASSERT_EQ(saved.size(), 9608u);
    EXPECT_EQ(std::string(saved.begin() + 1200, saved.begin() + 1204), "PAD9") << "TIMEATTACK's first row";
    EXPECT_EQ(pad.status().listings, 1) << "an open pad is never listed again";
    EXPECT_EQ(pad.status().quits, 0);
    game.stop(SIGTERM);
}

TEST_F(Controller, PlaysTheMenusAGameAndTheHighscorePrompt) { playsTheWholeGame(false); }

TEST_F(Controller, CountsEachPressOnceWhenSdlAlsoSendsTheControllersEvents) { playsTheWholeGame(true); }

// South on the prompt sends. Without a score server on the game's port the
// connection is refused; with one, its answer waits for a button. The
// game's replay, watched, ends as the game did, with East.
TEST_F(Controller, SendsTheResultWithSouth) {
    pad.send("attach");
    ProgramRun game(pad.env({{"SDL_AUDIODRIVER", "dummy"}}));
    ASSERT_NO_FATAL_FAILURE(start(game));
    ASSERT_NO_FATAL_FAILURE(playFromTheMenu());
    stillShot(kBoard);
    ASSERT_TRUE(pad.press(kPadEast));
    ASSERT_TRUE(titled(window.waitForShot(titled))) << "the highscores";
    ASSERT_TRUE(pad.press(kPadSouth));
    auto answered = [](const Shot& s) { return s.brightness({100, 232, 200, 256}) > 20 && s.brightness({0, 0, 639, 190}) < 5; };
    ASSERT_TRUE(waitFor([&] { return game.out().find("SDLNet_TCP_Open") != std::string::npos || answered(window.shot()); },
                        10000)) << "South sends: " << game.out();
    if (answered(window.shot())) {
        ASSERT_TRUE(pad.press(kPadEast)) << "a button leaves the upload's answer";
    }
    ASSERT_TRUE(waitFor([] { return replayFiles().size() == 1; }, 5000));
    ProgramRun verify({QUADRUNE_BINARY, "--verify-replay", replayFiles()[0]}, {});
    EXPECT_EQ(verify.waitForExit(10000), 0) << verify.err();
    game.stop(SIGTERM);

    // Watched, the game plays as it was played, to East leaving it.
    ProgramRun watch({QUADRUNE_BINARY, "--replay", replayFiles()[0]}, {{"SDL_AUDIODRIVER", "dummy"}});
    GameWindow viewer;
    ASSERT_TRUE(viewer.find(watch.pid(), 20000)) << watch.err();
    ASSERT_TRUE(watch.waitForOutput("..done.\n", 20000));
    viewer.key("Right", true);  // four times as fast while held
    EXPECT_EQ(watch.waitForExit(30000), 0) << "the replay's East ends the game: " << watch.err();
    viewer.key("Right", false);
}

// A pad plugged in while the game runs is found within a look or two; once
// open it is never listed again, however long it lies idle, since listing
// anew closes it and loses a press made meanwhile.
TEST_F(Controller, IsFoundWhenPluggedInLaterAndNotListedAgainWhileIdle) {
    ProgramRun game(pad.env({{"SDL_AUDIODRIVER", "dummy"}}));
    ASSERT_NO_FATAL_FAILURE(start(game));
    ASSERT_TRUE(waitFor([&] { return pad.status().listings >= 2; }, 10000)) << "looked again while none was open";
    EXPECT_EQ(pad.status().pads, 0);
    pad.send("attach");
    ASSERT_TRUE(waitFor([&] { return pad.status().pads == 1; }, 10000)) << "found within the next look";
    const VirtualPad::Status found = pad.status();
    Shot menu = stillShot(kWhole);
    ASSERT_TRUE(pad.press(kPadDown));
    EXPECT_TRUE(window.waitForShot(changedFrom(menu, kPlayItem)).sameIn(menu, kPlayItem) == false) << "Down lights PLAY";
    ASSERT_TRUE(pad.idle(100, 30000)) << "five seconds of the game's looks";
    EXPECT_EQ(pad.status().listings, found.listings);
    EXPECT_EQ(pad.status().quits, found.quits);
    ASSERT_TRUE(pad.press(kPadSouth));
    EXPECT_TRUE(window.waitForShot(changedFrom(menu, {0, 300, 200, 470})).sameIn(menu, {0, 300, 200, 470}) == false)
        << "the first press after the idle time counts: South on PLAY starts a game";
    game.stop(SIGTERM);
}

