#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/replay_recorder.h"
#include "app/startup.h"
#include "rules/game_state.h"
#include "rules/replay_file.h"
#include "game/game_screen.h"
#include "rules/replay_check.h"
#include "gl_fixture.h"
#include "loopback_server.h"
#include "rules/pad_buttons.h"
#include "menu/key_selection.h"
#include "menu/menu_screen.h"
#include "reference.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "scores/highscore_screen.h"
#include "scores/highscore_table.h"
#include "scores/score_submit.h"
#include "scripted_seams.h"
#include "sound/sound_system.h"
#include "test_support.h"

// Every screen as the player meets it, drawn by the game's own frame
// functions with the game's pictures, held against reference pictures.
namespace {
class Screens : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        static bool loaded = false;
        if (!loaded) linkGameData(), loadScene(gameState, 640, 480), buildFontLists(), loaded = true;
        std::memset(&gameState.config, 0, sizeof gameState.config);
        initSceneVariables(gameState);
        gameState.screen = MenuScreen;
        gameState.menuPage = MainMenuPage;
        gameState.quitRequested = gameState.keyLatch = gameState.clickLatch = 0;
        gameState.nameEntryActive = false;
        resizeScene(gameState, 640, 480);
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
        keySelection = KeySelection{};
    }
    // One pass of the menu with the mouse at (x, y); the swap leaves its
    // picture in the back buffer.
    Shot menuPass(int x, int y, bool leftDown = false) {
        script.pointAt(x, y, leftDown);
        runMenuFrame();
        return backBufferShot();
    }
    ScriptedPlatform script;
    RecordingSound sound;
};
}  // namespace

namespace {
// A sound layer that opens nothing and notes which music it is asked to start.
struct FakeSoundLayer {
    static inline float version = 3.75f;
    static inline std::vector<FSOUND_STREAM*> started;
    static inline char stream[2], sample[3];
    SeamOverride override_;
    FakeSoundLayer() {
        started.clear();
        seams.sound.getVersion = [] { return version; };
        seams.sound.setMixer = [](int) -> signed char { return 1; };
        seams.sound.init = [](int, int, unsigned) -> signed char { return 1; };
        seams.sound.getError = [] { return 0; };
        seams.sound.streamOpen = [](const char* name, unsigned, int, int) {
            return reinterpret_cast<FSOUND_STREAM*>(&stream[std::strstr(name, "menu") ? 1 : 0]);
        };
        seams.sound.sampleLoad = [](int, const char*, unsigned, int, int) { return reinterpret_cast<FSOUND_SAMPLE*>(sample); };
        seams.sound.sampleSetMode = [](FSOUND_SAMPLE*, unsigned) -> signed char { return 1; };
        seams.sound.streamPlay = [](int, FSOUND_STREAM* s) { return started.push_back(s), 0; };
    }
};
}  // namespace

// Start-up announces every sound file on the loading screen, then starts
// the menu music when the settings want it and the sound layer is recent.
TEST_F(Screens, StartingTheSoundShowsTheLoadingScreenAndTheMenuMusic) {
    glClearColor(0, 0, 0, 0);  // as start-up has it
    struct Case {
        float version;
        int music;
        bool menuMusic;
    } cases[] = {{3.75f, 1, true}, {3.75f, 0, false}, {3.0f, 1, false}};
    for (const Case& c : cases) {
        FakeSoundLayer sound;
        FakeSoundLayer::version = c.version;
        gameState.config.musicOn = static_cast<uint8_t>(c.music);
        gameState.soundEnabled = 1;
        int swaps = 0;
        script.onSwap = [&] {
            if (swaps++ == 0) { EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "loading")); }
        };
        startSoundSystem(gameState);
        EXPECT_EQ(swaps, c.version < 3.75f ? 0 : 5) << "a loading screen for each file";
        std::vector<FSOUND_STREAM*> want;
        if (c.menuMusic) want.push_back(gameState.menuMusicStream);
        EXPECT_EQ(FakeSoundLayer::started, want) << c.version << " " << c.music;
    }
}

TEST_F(Screens, MainMenuAtRestAndUnderThePointer) {
    const std::pair<const char*, std::pair<int, int>> states[] = {
        {"menu", {620, 470}}, {"menu-play", {129, 102}}, {"menu-options", {482, 112}}, {"menu-exit", {448, 378}}};
    for (auto [name, at] : states) EXPECT_TRUE(matchesReferencePicture(menuPass(at.first, at.second), name));
    EXPECT_EQ(gameState.menuPage, MainMenuPage) << "pointing is not clicking";
}

TEST_F(Screens, OptionsInEachModeAndWhileTypingAName) {
    gameState.menuPage = OptionsPage;
    struct Values {
        int mode, speed, music;
        const char* name;
    } values[] = {{1, 50, 1, "VELMO"}, {2, 0, 0, "ABCDEFGHI"}, {3, 100, 1, "Z9"}, {4, 7, 0, ""}};
    for (const Values& v : values) {
        gameState.config.gameMode = v.mode, gameState.config.speed = v.speed, gameState.config.musicOn = v.music;
        std::memset(gameState.config.playerName, 0, sizeof gameState.config.playerName);
        std::memcpy(gameState.config.playerName, v.name, std::strlen(v.name));
        EXPECT_TRUE(matchesReferencePicture(menuPass(620, 470), "options-mode" + std::to_string(v.mode)));
    }
    menuPass(20, 205, true);  // the PLAYER line starts the typing
    menuPass(20, 205);
    for (int key : {SDLK_q, SDLK_4}) script.push(SDL_KEYDOWN, key), script.push(SDL_KEYUP, key);
    runMenuFrame();
    EXPECT_TRUE(gameState.nameEntryActive);
    EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "options-typing"));
}

namespace {
void fillTable(HighscoreTable& table, const char* prefix, uint32_t score, uint32_t time, uint32_t timeStep) {
    for (int i = 0; i < kHighscoreRows; ++i) {
        HighscoreEntry& row = table.rows[i];
        std::memset(row.name, 0, sizeof row.name);
        std::snprintf(row.name, sizeof row.name, "%s%d", prefix, i);
        row.score = score - 37 * i;
        row.time = time - timeStep * i;
    }
}
}  // namespace

TEST_F(Screens, HighscoresOfEachModeWithTheNewRowMarked) {
    fillTable(gameState.highscores.tables[0], "FREE", 98765, 4321, 407);
    fillTable(gameState.highscores.tables[1], "TIME", 12345, 59999, 1111);
    const std::pair<int, int> marks[] = {{FreePlay, 3}, {TimeAttack, 0}, {Hardcore, 11}, {HundredMoves, 11}};
    for (auto [mode, row] : marks) {
        script.push(SDL_KEYDOWN, SDLK_n);
        showHighscores(mode, row);
        EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "highscores-mode" + std::to_string(mode)));
    }
    // A game that entered no row: the table as it was, nothing marked.
    script.push(SDL_KEYDOWN, SDLK_n);
    showHighscores(FreePlay, kNotEntered);
    EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "highscores-not-entered"));
}

TEST_F(Screens, UploadProgressThenSentOrFailed) {
    static std::string lastText;
    seams.upload.drawText = [](const char* text, int x, int y) { lastText = text, drawText(text, x, y); };
    std::vector<std::pair<std::string, std::string>> wanted = {
        {"SENDING.......", "upload-sending"}, {"PRESS ANY KEY", "upload-sent"}, {"SEND DATA AGAIN? (Y/N)", "upload-failed"}};
    script.onSwap = [&] {
        for (auto& [text, name] : wanted) {
            if (text != lastText) continue;
            EXPECT_TRUE(matchesReferencePicture(backBufferShot(), name));
            text.clear();
        }
        if (lastText == "PRESS ANY KEY" || lastText == "SEND DATA AGAIN? (Y/N)") script.push(SDL_KEYDOWN, SDLK_n);
    };
    gameState.config.gameMode = TimeAttack;
    const std::string ok = "HTTP/1.1 200 OK\r\n\r\n";
    LoopbackServer server({{{ok + "dataok"}, 0, 0, 3000}, {{ok + "no"}, 0, 0, 0}});
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    for (auto& [text, name] : wanted) EXPECT_EQ(text, "") << name << " never shown";
}

namespace {
bool quiet(const Board& board) {
    if (gameState.pendingDrops > 0 || !board.particles.empty() || board.flash > 0.01f) return false;
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) {
            const Cell& cell = board.cells[c][r];
            if (cell.falling || cell.slidingLeft || cell.slidingRight || cell.busy) return false;
        }
    return true;
}

// The first exchange, from the bottom, of two blocks that makes a run.
std::pair<int, int> swapThatScores(const Board& board) {
    for (int r = 8; r >= 0; --r)
        for (int c = 0; c < 5; ++c) {
            int kind[6][9];
            for (int x = 0; x < 6; ++x)
                for (int y = 0; y < 9; ++y) kind[x][y] = board.cells[x][y].empty ? 0 : board.cells[x][y].kind;
            if (!kind[c][r] || !kind[c + 1][r]) continue;
            std::swap(kind[c][r], kind[c + 1][r]);
            for (int x = 0; x < 6; ++x)
                for (int y = 0; y < 9; ++y) {
                    int k = kind[x][y];
                    if (k && x < 4 && kind[x + 1][y] == k && kind[x + 2][y] == k) return {c, r};
                    if (k && y < 7 && kind[x][y + 1] == k && kind[x][y + 2] == k) return {c, r};
                }
        }
    return {-1, -1};
}

// Feeds one frame's events at each swap and says which frames to keep.
struct GameDirector {
    std::deque<std::vector<std::pair<SDL_EventType, int>>> frames;
    void tap(int key, int times = 1) {
        for (int i = 0; i < times; ++i) frames.push_back({{SDL_KEYDOWN, key}}), frames.push_back({{SDL_KEYUP, key}});
    }
    void walk(int fromColumn, int fromRow, int toColumn, int toRow) {
        tap(toColumn < fromColumn ? SDLK_LEFT : SDLK_RIGHT, std::abs(toColumn - fromColumn));
        tap(toRow < fromRow ? SDLK_UP : SDLK_DOWN, std::abs(toRow - fromRow));
    }
    void feed(ScriptedPlatform& script) {
        if (frames.empty()) return;
        for (auto [type, key] : frames.front()) script.push(type, key);
        frames.pop_front();
    }
};
}  // namespace

// A TIMEATTACK game started with the menu's PLAY and run by the real main
// loop, frame by frame on a scripted clock, to its GAME OVER.
TEST_F(Screens, AScriptedGameFromItsOpeningFlashToGameOver) {
    script.useGameRandom();
    startRecordingGames();
    connectScreens();
    gameState.config.gameMode = TimeAttack;
    gameState.config.musicOn = 1;
    GameDirector director;
    enum Phase { Opening, ToCorner, ToSwap, Swapping, Scored, Pausing, Resumed, Playing, Ending, Done, Left } phase = Opening;
    uint32_t moves = 77;  // the player's own sequence, apart from the game's
    int frame = -1, mark = 0;  // frame 0 is the menu's pass that starts the game
    uint32_t scoreBefore = 0;
    std::vector<uint32_t> work;
    auto keep = [&](const char* name) { EXPECT_TRUE(matchesReferencePicture(backBufferShot(), name)) << "frame " << frame; };
    script.onSwap = [&] {
        ++frame;
        uint32_t spent = frame == 3 ? 70 : phase == Ending && frame == mark ? 60000 : 7;
        script.mouseButtons = 0;
        const Board& board = gameState.board;
        if (frame == 1) keep("game-opening-flash");
        if (frame == 5) keep("game-blocks-falling");
        if (phase == Opening && quiet(board)) phase = ToCorner, director.tap(SDLK_RIGHT, 5), director.tap(SDLK_DOWN, 9);
        if (phase == ToCorner && director.frames.empty()) {
            keep("game-cursor-corner");
            auto [c, r] = swapThatScores(board);
            ASSERT_GE(c, 0) << "no swap makes a run on this board";
            director.walk(4, 8, c, r), director.tap(SDLK_SPACE);
            phase = ToSwap;
        }
        if (phase == ToSwap && director.frames.size() == 1) phase = Swapping, mark = frame + 5, scoreBefore = gameState.score;
        if (phase == Swapping && frame == mark) keep("game-swap-halfway");
        if (phase == Swapping && gameState.score > scoreBefore) phase = Scored, mark = frame + 4;
        if (phase == Scored && frame == mark) keep("game-glows"), director.tap(SDLK_p), phase = Pausing, mark = frame + 1;
        if (phase == Pausing && frame == mark) keep("game-paused"), director.tap(SDLK_p), phase = Resumed, mark = frame + 2;
        if (phase == Resumed && frame == mark) phase = Playing, mark = frame + 600;
        if (phase == Playing && frame >= mark && director.frames.empty()) phase = Ending, mark = frame + 1;
        // Half a minute of play that takes every run it sees and swaps at random
        // otherwise, so that the last picture holds every rule's doing.
        if (phase == Playing && director.frames.empty()) {
            auto [c, r] = quiet(board) ? swapThatScores(board) : std::pair{-1, -1};
            moves = moves * 1103515245u + 12345u;
            if (c < 0) c = (moves >> 16) % 5, r = (moves >> 20) % 9;
            director.walk(gameState.cursorColumn, gameState.cursorRow, c, r), director.tap(SDLK_SPACE);
        }
        if (phase == Ending && gameState.timeUp && frame == mark + 2) keep("game-over"), phase = Done;
        if (phase == Left) gameState.quitRequested = 1;
        if (phase == Left) return;  // the highscore screen, after Escape: any key leaves it
        if (phase == Done && gameState.screen == MenuScreen) return script.push(SDL_KEYDOWN, SDLK_n), void(phase = Left);
        if (phase == Done) director.tap(kEscapeKey);
        if (frame > 3000) gameState.quitRequested = 1;
        director.feed(script);
        work.push_back(spent);
        script.ticks += spent;
    };
    script.pointAt(129, 102, true);
    runMainLoop(gameState);
    EXPECT_EQ(phase, Left);
    ASSERT_GE(script.delays.size(), work.size());
    for (size_t i = 0; i < work.size(); ++i)
        EXPECT_EQ(script.delays[i], work[i] < 50 ? 50 - work[i] : 0) << "the pass that worked " << work[i] << " ms";
    EXPECT_EQ(sound.calls.front(), "play") << "the menu's click";
    EXPECT_GE(size_t(script.controllerLooks), work.size()) << "a look for new controllers every pass";
    // The game went into replays/ as it was played, and plays again to its end.
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator("replays")) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().substr(15), "-2-690.qrp") << "the start's date and time, mode and score";
    Replay replay;
    std::string why;
    ASSERT_TRUE(loadReplayFile(files[0].c_str(), replay, why)) << why;
    EXPECT_EQ(replay.seed, script.seconds);
    // The page test watches this game and holds it at the frames kept above.
    EXPECT_EQ(readFileBytes(files[0].string()), readFileBytes(QUADRUNE_SOURCE_DIR "/tests/replays/scripted-time-attack.qrp"))
        << "the game behind the pictures is no longer the one in tests/replays";
    ReplayVerdict verdict = checkReplay(replay);
    EXPECT_TRUE(verdict.matches) << verdict.why;
    EXPECT_EQ(verdict.frames, replay.frames.size());
}

TEST_F(Screens, TheHudOfEachModeAfterTwoSecondsOfPlay) {
    script.useSeededRandom(45);
    for (int mode : {FreePlay, Hardcore, HundredMoves}) {
        gameState.config.gameMode = mode;
        gameState.menuPage = MainMenuPage;
        menuPass(129, 102, true);
        ASSERT_EQ(gameState.screen, GameScreen);
        for (int i = 0; i < 41; ++i) runGameFrame(gameState), script.ticks += 50;
        EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "hud-mode" + std::to_string(mode)));
    }
}

namespace {
struct Point {
    int x, y;
};
constexpr Point kMode{20, 115}, kMinus{305, 145}, kPlus{555, 145}, kBetween{400, 145}, kMusic{20, 175},
    kPlayer{20, 205}, kDone{40, 415};
struct Input {
    Point at{-1, -1};  // a click here, the button held over `held` more events
    int held = 0;
    int key = 0;       // or a key pressed and released
    int button = -1;   // or a controller's button
};
std::vector<Input> clicks(Point at, int times) { return std::vector<Input>(times, Input{at}); }
std::vector<Input> keys(std::initializer_list<int> symbols) {
    std::vector<Input> out;
    for (int key : symbols) out.push_back(Input{{-1, -1}, 0, key});
    return out;
}
std::vector<Input> buttons(std::initializer_list<int> pressed) {
    std::vector<Input> out;
    for (int button : pressed) out.push_back(Input{{-1, -1}, 0, 0, button});
    return out;
}
std::vector<Input> operator+(std::vector<Input> a, const std::vector<Input>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<unsigned char> configBytes(const char* name, int speed, int mode, int music) {
    std::vector<unsigned char> bytes(80, 0);
    std::memcpy(bytes.data(), name, std::strlen(name));
    std::memcpy(&bytes[12], &speed, 4);
    std::memcpy(&bytes[24], &mode, 4);
    bytes[28] = static_cast<unsigned char>(music), bytes[72] = 'Y';
    return bytes;
}
}  // namespace

// Each row starts from the defaults on the options page and ends with a
// click on <DONE>, unless Escape left first: the bytes config.dat holds.
TEST_F(Screens, OptionClicksAndKeysAsConfigDatHoldsThem) {
    struct Row {
        std::vector<Input> inputs;
        std::vector<unsigned char> saved;  // empty: nothing written
    } rows[] = {
        {{}, configBytes("VELMO", 50, 1, 1)},
        {clicks(kMode, 1), configBytes("VELMO", 50, 2, 1)},
        {clicks(kMode, 3), configBytes("VELMO", 50, 4, 1)},
        {clicks(kMode, 4), configBytes("VELMO", 50, 1, 1)},
        {{Input{kMode, 3}}, configBytes("VELMO", 50, 2, 1)},
        {clicks(kMinus, 3) + clicks(kBetween, 2), configBytes("VELMO", 47, 1, 1)},
        {clicks(kPlus, 52), configBytes("VELMO", 100, 1, 1)},
        {clicks(kMinus, 52) + clicks(kPlus, 1), configBytes("VELMO", 1, 1, 1)},
        {clicks(kMusic, 1), configBytes("VELMO", 50, 1, 0)},
        {clicks(kMusic, 2), configBytes("VELMO", 50, 1, 1)},
        {clicks(kPlayer, 1) + keys({SDLK_a, SDLK_b, SDLK_1, SDLK_RETURN, SDLK_c}), configBytes("AB1", 50, 1, 1)},
        {clicks(kPlayer, 1) + keys({SDLK_a, SDLK_BACKSPACE, SDLK_BACKSPACE, SDLK_z, SDLK_RETURN}), configBytes("Z", 50, 1, 1)},
        {clicks(kPlayer, 1) + keys({SDLK_q, SDLK_w, SDLK_e, SDLK_r, SDLK_t, SDLK_y, SDLK_u, SDLK_i, SDLK_o, SDLK_p}),
         configBytes("QWERTYUIO", 50, 1, 1)},
        // The ninth character ends the typing: the keys after it are the page's again.
        {clicks(kPlayer, 1) + keys({SDLK_a, SDLK_b, SDLK_c, SDLK_d, SDLK_e, SDLK_f, SDLK_g, SDLK_h, SDLK_i, SDLK_j,
                                    SDLK_k, SDLK_l, SDLK_RIGHT}),
         configBytes("ABCDEFGHI", 50, 2, 1)},
        {clicks(kPlayer, 1) + keys({SDLK_SPACE, SDLK_PERIOD, SDLK_KP1, SDLK_RSHIFT, SDLK_m, SDLK_RETURN}),
         configBytes("M", 50, 1, 1)},
        {clicks(kPlayer, 1), configBytes("", 50, 1, 1)},  // the press on <DONE> ends the typing and saves
        {clicks(kMode, 1) + keys({SDLK_ESCAPE}), {}},
        // The first key shows the highlight on the top row and acts on it.
        {keys({SDLK_RIGHT}), configBytes("VELMO", 50, 2, 1)},
        {keys({SDLK_LEFT, SDLK_LEFT}), configBytes("VELMO", 50, 3, 1)},
        {keys({SDLK_DOWN, SDLK_DOWN, SDLK_RIGHT, SDLK_RIGHT, SDLK_LEFT}), configBytes("VELMO", 51, 1, 1)},
        {keys({SDLK_UP, SDLK_UP, SDLK_UP, SDLK_UP, SDLK_LEFT}), configBytes("VELMO", 50, 1, 0)},
        {keys({SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_a, SDLK_DOWN, SDLK_b, SDLK_RETURN}),
         configBytes("AB", 50, 1, 1)},
        {keys({SDLK_UP, SDLK_UP, SDLK_RETURN, SDLK_ESCAPE}), configBytes("VELMO", 50, 1, 1)},  // Return on <DONE>
        {keys({SDLK_DOWN, SDLK_DOWN, SDLK_RIGHT}) + clicks(kMusic, 1) + keys({SDLK_RIGHT}), configBytes("VELMO", 52, 1, 0)},
        {buttons({kPadRight, kPadDown, kPadRight, kPadDown, kPadSouth, kPadUp, kPadUp, kPadUp, kPadSouth}),
         configBytes("VELMO", 51, 2, 0)},
        {buttons({kPadDown, kPadEast}), {}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::remove("config.dat");
        std::memset(&gameState.config, 0, sizeof gameState.config);
        initSceneVariables(gameState);
        gameState.menuPage = OptionsPage;
        keySelection = KeySelection{};
        for (Input input : rows[i].inputs + (rows[i].saved.empty() ? std::vector<Input>{} : clicks(kDone, 1))) {
            if (input.button >= 0) {
                script.pressButton(input.button), runMenuFrame();
                continue;
            }
            if (input.key) {
                script.push(SDL_KEYDOWN, input.key), script.push(SDL_KEYUP, input.key), runMenuFrame();
                continue;
            }
            // The menu polls the button after each event, so each goes in a pass of its own.
            for (int n = 0; n <= input.held; ++n) script.pointAt(input.at.x, input.at.y, true), runMenuFrame();
            script.pointAt(input.at.x, input.at.y, false), runMenuFrame();
        }
        EXPECT_EQ(readFileBytes("config.dat"), rows[i].saved) << "row " << i;
        EXPECT_EQ(gameState.menuPage, MainMenuPage) << "row " << i;
    }
}

// The OPTIONS item lies across the GAMEMODE row and the speed's > button: a
// press there opens the page, and however long it is held and moved there,
// it leaves the rows as they were.
TEST_F(Screens, ThePressThatOpensTheOptionsLeavesTheRowsBeneathIt) {
    for (Point at : {Point{482, 112}, Point{380, 125}, Point{555, 135}}) {
        std::memset(&gameState.config, 0, sizeof gameState.config);
        initSceneVariables(gameState);
        gameState.menuPage = MainMenuPage;
        const ConfigRecord before = gameState.config;
        menuPass(at.x, at.y);
        ASSERT_EQ(gameState.menuPage, MainMenuPage) << at.x << "," << at.y;
        menuPass(at.x, at.y, true);
        ASSERT_EQ(gameState.menuPage, OptionsPage) << at.x << "," << at.y << " lies over OPTIONS";
        for (int wobble : {1, 0, 1}) menuPass(at.x + wobble, at.y, true);
        EXPECT_TRUE(matchesReferencePicture(menuPass(at.x, at.y), "options-mode1")) << at.x << "," << at.y;
        EXPECT_EQ(std::memcmp(&before, &gameState.config, sizeof before), 0) << at.x << "," << at.y;
        EXPECT_EQ(gameState.menuPage, OptionsPage);
    }
}

namespace {
// One pass of the main loop in a game; the scripted sleep moves the clock.
void gamePass() {
    uint32_t start = getTicks();
    runGameFrame(gameState);
    delayMs(frameDelayMs(getTicks() - start));
}
// A press in one pass and its release in the next, as a hand on a pad would.
void tapInGame(ScriptedPlatform& script, int button) {
    for (bool down : {true, false}) script.pushButton(down, button), gamePass();
}
void gameFrames(ScriptedPlatform&, int count) {
    for (int i = 0; i < count; ++i) gamePass();
}
void pushFocusChange(ScriptedPlatform& script, int state, int gain) {
    SDL_Event event{};
    event.type = SDL_ACTIVEEVENT;
    event.active.state = static_cast<uint8_t>(state);
    event.active.gain = static_cast<uint8_t>(gain);
    script.events.push_back(event);
}
}  // namespace

// No keyboard and no mouse: a controller goes through the menu and the
// options, then plays a TIMEATTACK game whose countdown stops while the
// window is away.
TEST_F(Screens, AControllerAloneGoesThroughTheMenusAndPlaysAGame) {
    script.useGameRandom();
    startRecordingGames();
    script.mouseX = 620, script.mouseY = 470;  // the pointer rests where it is, never moved
    auto press = [&](int button) { script.pressButton(button), runMenuFrame(), delayMs(50); };
    press(kPadDown);
    EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "menu-play")) << "the first press shows the highlight";
    press(kPadDown);
    EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "menu-options"));
    press(kPadSouth);
    ASSERT_EQ(gameState.menuPage, OptionsPage);
    for (int button : {kPadRight, kPadDown, kPadRight}) press(button);
    EXPECT_TRUE(matchesReferencePicture(backBufferShot(), "options-highlight"));
    for (int button : {kPadUp, kPadUp, kPadSouth}) press(button);
    ASSERT_EQ(gameState.menuPage, MainMenuPage) << "South on <DONE>";
    EXPECT_EQ(readFileBytes("config.dat"), configBytes("VELMO", 51, TimeAttack, 1));
    press(kPadUp), press(kPadSouth);
    ASSERT_EQ(gameState.screen, GameScreen);

    gameFrames(script, 60);  // the opening blocks come down
    for (int i = 0; i < 9; ++i) tapInGame(script, kPadDown);
    for (int i = 0; i < 2; ++i) tapInGame(script, kPadRight);
    EXPECT_EQ(gameState.cursorColumn, 2);
    EXPECT_EQ(gameState.cursorRow, 8) << "held at the bottom row";
    auto kindAt = [](int column) { return gameState.board.cells[column][8].kind; };
    while (kindAt(gameState.cursorColumn) == kindAt(gameState.cursorColumn + 1) && gameState.cursorColumn < 4)
        tapInGame(script, kPadRight);
    int left = kindAt(gameState.cursorColumn), right = kindAt(gameState.cursorColumn + 1);
    ASSERT_NE(left, right);
    tapInGame(script, kPadSouth);
    gameFrames(script, 20);
    EXPECT_EQ(kindAt(gameState.cursorColumn), right) << "South swapped the pair";
    EXPECT_EQ(kindAt(gameState.cursorColumn + 1), left);

    struct Away {
        const char* what;
        int state, gain;
        bool pauses;
    } aways[] = {{"another window has the keyboard", SDL_APPINPUTFOCUS, 0, true},
                 {"minimised", SDL_APPACTIVE, 0, true},
                 {"the pointer left", SDL_APPMOUSEFOCUS, 0, false},
                 {"the keyboard came back", SDL_APPINPUTFOCUS, 1, false}};
    for (const Away& away : aways) {
        pushFocusChange(script, away.state, away.gain);
        gameFrames(script, 1);
        uint32_t left = gameState.timeLeftMs;
        gameFrames(script, 20);
        EXPECT_EQ(gameState.paused == 1, away.pauses) << away.what;
        EXPECT_EQ(gameState.timeLeftMs == left, away.pauses) << away.what;
        if (away.pauses) tapInGame(script, kPadStart);
        EXPECT_EQ(gameState.paused, 0) << "Start resumes after " << away.what;
    }
    tapInGame(script, kPadStart);
    EXPECT_EQ(gameState.paused, 1) << "Start pauses";
    tapInGame(script, kPadStart);
    static int sent = 0;
    seams.upload.submit = [](const char*, int) { return ++sent; };
    script.onSwap = [&] {
        if (gameState.screen == MenuScreen && script.events.empty()) script.pushButton(true, kPadWest);
    };
    connectScreens();
    script.pushButton(true, kPadEast);
    gamePass();
    EXPECT_EQ(gameState.screen, MenuScreen) << "East leaves the game";
    EXPECT_EQ(sent, 0) << "West declines the upload";
    // The controller's presses and the lost focus went into the replay as played.
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator("replays")) files.push_back(entry.path());
    ASSERT_EQ(files.size(), 1u);
    Replay replay;
    std::string why;
    ASSERT_TRUE(loadReplayFile(files[0].c_str(), replay, why)) << why;
    ReplayVerdict verdict = checkReplay(replay);
    EXPECT_TRUE(verdict.matches) << verdict.why;
    auto count = [&](InputEvent::Kind kind) {
        return std::count_if(replay.frames.events.begin(), replay.frames.events.end(),
                             [kind](const InputEvent& e) { return e.kind == kind; });
    };
    EXPECT_EQ(count(InputEvent::FocusLost), 2);
    EXPECT_GT(count(InputEvent::ButtonDown), 15);
}

// The highscore prompt: South sends the result, any other button declines.
TEST_F(Screens, TheHighscorePromptAnswersAController) {
    static int sent = 0;
    seams.upload.submit = [](const char*, int) { return ++sent; };
    for (auto [button, sends] : {std::pair{kPadSouth, 1}, {kPadEast, 0}, {kPadUp, 0}, {kPadStart, 0}}) {
        sent = 0;
        script.pushButton(true, button);
        showHighscores(FreePlay, kNotEntered);
        EXPECT_EQ(sent, sends) << "button " << button;
    }
}
