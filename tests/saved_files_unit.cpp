#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "rules/config_file.h"
#include "rules/game_state.h"
#include "platform/player_dir.h"
#include "scores/highscore_table.h"
#include "scripted_seams.h"
#include "test_support.h"

// config.dat and highscore.dat as the bytes on disk.
namespace {
using Bytes = std::vector<unsigned char>;

uint32_t le32(const Bytes& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

Bytes markedConfig() {
    Bytes bytes(80, 0);
    std::memcpy(bytes.data(), "ZED", 3);
    bytes[11] = 0x0D;  // reserved bytes keep what was read
    bytes[12] = 26;
    bytes[24] = 3;
    bytes[28] = 0;
    bytes[72] = 'Y';
    return bytes;
}

}  // namespace

TEST(ConfigFile, MarkedRecordsAreKeptAsReadAndOthersGetTheDefaults) {
    Bytes marked = markedConfig(), unmarked = marked, cut(marked.begin(), marked.begin() + 72), longer = marked;
    unmarked[72] = 'N';
    longer.resize(200, 0xEE);
    Bytes defaults(80, 0);
    std::memcpy(defaults.data(), "VELMO", 5);
    defaults[12] = 50, defaults[24] = 1, defaults[28] = 1, defaults[72] = 'Y';
    Bytes defaultsOverRead = defaults;
    defaultsOverRead[11] = 0x0D;  // bytes the defaults do not cover keep what was read
    struct Case {
        const char* what;
        Bytes file, saved;
    } cases[] = {
        {"marked", marked, marked},
        {"longer, whose extra bytes are never read", longer, marked},
        {"marked up to its marker only", Bytes(marked.begin(), marked.begin() + 73), marked},
        {"unmarked", unmarked, defaultsOverRead},
        {"too short for its marker", cut, defaultsOverRead},
        {"missing", {}, defaults},
    };
    for (const Case& c : cases) {
        std::memset(&gameState.config, 0, sizeof gameState.config);
        c.file.empty() ? (void)std::remove("config.dat") : writeFileBytes("config.dat", c.file);
        loadConfig();
        applyConfigDefaults();
        saveConfig();
        EXPECT_EQ(readFileBytes("config.dat"), c.saved) << c.what;
    }
}

TEST(ConfigFile, AFailedSaveKeepsTheOldFile) {
    writeFileBytes("config.dat", markedConfig());
    gameState.config.speed = 99;
    ASSERT_EQ(mkdir("config.dat.tmp", 0700), 0);  // the temporary file cannot be made
    saveConfig();
    EXPECT_EQ(readFileBytes("config.dat"), markedConfig());
    rmdir("config.dat.tmp");  // a full disk: see the player's tests
}

TEST(SavedFiles, AKillDuringRepeatedSavesLeavesTheOldOrTheNewFileWhole) {
    std::minstd_rand random(std::random_device{}());
    int rounds = 40, duringSave = 0;
    for (int round = 0; round < rounds; ++round) {
        pid_t saver = fork();
        for (int version = 1; saver == 0 && version < 100000; ++version) {  // each byte holds the version
            std::memset(&gameState.highscores, version, sizeof gameState.highscores);
            std::memset(&gameState.config, version, sizeof gameState.config);
            saveHighscores(), saveConfig();
        }
        if (saver == 0) _exit(0);
        ASSERT_TRUE(waitFor([] { return fileExists("config.dat"); }, 5000));
        usleep(random() % 5000);  // the fault: a kill at a random moment
        kill(saver, SIGKILL), waitpid(saver, nullptr, 0);
        duringSave += fileExists("highscore.dat.tmp") || fileExists("config.dat.tmp");
        for (auto [name, size] : {std::pair{"highscore.dat", 9608}, {"config.dat", 80}}) {
            Bytes bytes = readFileBytes(name);
            EXPECT_EQ(std::count(bytes.begin(), bytes.end(), bytes.at(0)), size) << name << " is torn or cut";
        }
    }
    std::printf("%d kills, %d of them during a save\n", rounds, duringSave);
    EXPECT_GT(duringSave, 0) << "no kill hit a save";
}

namespace {
class Highscores : public ::testing::Test {
protected:
    void SetUp() override {
        std::remove("highscore.dat");
        std::memset(&gameState.highscores, 0, sizeof gameState.highscores);
        platform.fallbackRandom = [this] { return platform.randomCalls - 1; };  // a value names its call
    }
    int enter(int mode, uint32_t score, uint32_t elapsedMs, const char* name) {
        std::memset(gameState.config.playerName, 0, 10);
        std::memcpy(gameState.config.playerName, name, std::strlen(name));
        gameState.score = score;
        gameState.elapsedMs = elapsedMs;
        gameState.blocksDestroyed = 77;
        return insertHighscore(mode);
    }
    const HighscoreEntry& row(int table, int r) { return gameState.highscores.tables[table].rows[r]; }
    ScriptedPlatform platform;
};
}  // namespace

TEST_F(Highscores, AFreshStoreIsTheDefaultTablesWrittenWhole) {
    loadHighscores(gameState.highscores);
    EXPECT_EQ(platform.randomCalls, 800);
    saveHighscores();
    Bytes bytes = readFileBytes("highscore.dat");
    ASSERT_EQ(bytes.size(), 9608u);
    EXPECT_EQ(bytes[9600], 'Y');
    for (size_t i = 9601; i < 9608; ++i) EXPECT_EQ(bytes[i], 0);
    for (size_t table : {0u, 1u, 2u, 3u, 7u})
        for (size_t r : {0u, 3u, 9u}) {
            size_t at = 1200 * table + 120 * r;
            EXPECT_EQ(std::memcmp(&bytes[at], table < 3 ? "VELMO\0\0\0\0\0" : "\0\0\0\0\0\0\0\0\0\0", 10), 0);
            for (auto [offset, value] : {std::pair{52u, 123u}, {56u, 2000u}, {60u, 50u}, {64u, 45u}})
                EXPECT_EQ(le32(bytes, at + offset), value);
            for (size_t j = 0; j < 10; ++j)  // rows outermost, kinds next, tables innermost
                EXPECT_EQ(le32(bytes, at + 12 + 4 * j), (r * 80 + j * 8 + table) % 100 + 1);
        }
    EXPECT_FALSE(fileExists("highscore.dat.tmp"));
}

TEST_F(Highscores, MarkedFilesLoadAsTheyAreWhateverTheirLength) {
    Bytes image(9608, 0);
    for (size_t i = 0; i < 9600; ++i) image[i] = static_cast<unsigned char>(i * 7);
    image[9600] = 'Y';
    for (size_t length : {9601u, 9608u, 9908u}) {
        Bytes file = image;
        file.resize(length, 0xEE);
        writeFileBytes("highscore.dat", file);
        std::memset(&gameState.highscores, 0xAB, sizeof gameState.highscores);
        loadHighscores(gameState.highscores);
        EXPECT_EQ(std::memcmp(&gameState.highscores, image.data(), 9608), 0) << length;
    }
    EXPECT_EQ(platform.randomCalls, 0);
    saveHighscores();
    EXPECT_EQ(readFileBytes("highscore.dat"), image) << "the next save writes 9608 bytes";
}

TEST_F(Highscores, AFailedSaveKeepsTheFileAndTheTables) {
    loadHighscores(gameState.highscores);
    saveHighscores();
    Bytes before = readFileBytes("highscore.dat");
    ASSERT_EQ(mkdir("highscore.dat.tmp", 0755), 0);
    gameState.highscores.tables[0].rows[0].score = 99;
    saveHighscores();
    EXPECT_EQ(readFileBytes("highscore.dat"), before);
    rmdir("highscore.dat.tmp");
    saveHighscores();
    EXPECT_EQ(le32(readFileBytes("highscore.dat"), 56), 99u) << "the tables were kept for the next save";
}

TEST_F(Highscores, GamesAreRankedByTheirModesMeasure) {
    loadHighscores(gameState.highscores);
    HighscoreStore fresh = gameState.highscores;
    EXPECT_EQ(enter(FreePlay, 9000, 99999, "SHORT"), kNotEntered) << "FREE PLAY needs 100 s";
    for (int mode : {int{Hardcore}, int{HundredMoves}, 5}) EXPECT_EQ(enter(mode, 999999, 500000, "X"), kNotEntered);
    EXPECT_EQ(enter(TimeAttack, 900, 44, "BRIEF"), kNotEntered) << "the defaults hold 45 ms";
    EXPECT_EQ(std::memcmp(&gameState.highscores, &fresh, sizeof fresh), 0);

    std::memcpy(gameState.config.playerName, "ABCDEFGHIJ", 10);  // fills the field, no zero
    gameState.score = 5000, gameState.elapsedMs = 100000;
    ASSERT_EQ(insertHighscore(FreePlay), 0);
    EXPECT_EQ(std::memcmp(row(0, 0).name, "ABCDEFGHIJ", 10), 0);
    EXPECT_EQ(row(0, 0).time, 100u) << "whole seconds in FREE PLAY";
    EXPECT_DOUBLE_EQ(row(0, 0).scorePerSecond, 50.0);
    EXPECT_EQ(std::memcmp(&row(0, 1), &fresh.tables[0].rows[0], 120), 0) << "the rest move down";
    EXPECT_EQ(enter(FreePlay, 10000, 200000, "SAME"), 0) << "an equal ratio goes above";
    EXPECT_EQ(enter(FreePlay, 2550, 102000, "LOWER"), 2);
    EXPECT_EQ(row(0, 2).time, 102u);

    EXPECT_EQ(enter(TimeAttack, 900, 45, "EVEN"), 0);
    EXPECT_EQ(enter(TimeAttack, 13000, 65000, "LONG"), 0);
    EXPECT_EQ(row(1, 0).time, 65000u) << "milliseconds in TIMEATTACK";
    EXPECT_EQ(enter(TimeAttack, 1, 50000, "MID"), 1);
    EXPECT_EQ(enter(TimeAttack, 1, 0x90000000u, "HUGE"), 0) << "compared unsigned";
    for (int i = 0; i < 10; ++i) enter(TimeAttack, 1, 60000, "FILL");
    EXPECT_STREQ(row(1, 9).name, "FILL");
    EXPECT_EQ(enter(TimeAttack, 1, 59999, "LATE"), kNotEntered) << "a full table keeps its rows";
}

TEST(PlayerDir, FollowsXdgDataHomeOnlyWhenItIsAnAbsolutePath) {
    EXPECT_EQ(playerDir("/x/data", "/home/p"), "/x/data/quadrune");
    EXPECT_EQ(playerDir("", "/home/p"), "/home/p/.local/share/quadrune");
    EXPECT_EQ(playerDir("relative/data", "/home/p"), "/home/p/.local/share/quadrune");
    EXPECT_EQ(playerDir(nullptr, nullptr), "");
}

TEST(PlayerDir, PointsItsDataLinkAtTheInstalledDataButKeepsThePlayersOwnData) {
    namespace fs = std::filesystem;
    enum Before { Missing, LinkedElsewhere, OwnDirectory };
    for (Before before : {Missing, LinkedElsewhere, OwnDirectory}) {
        SCOPED_TRACE(before);
        const std::string dir = "case" + std::to_string(before) + "/a/quadrune", installed = fs::absolute("installed");
        fs::create_directories(installed);
        if (before != Missing) fs::create_directories(dir);
        if (before == LinkedElsewhere) fs::create_directory_symlink("gone", dir + "/data");
        if (before == OwnDirectory) fs::create_directories(dir + "/data/pics");
        std::string error;
        ASSERT_TRUE(preparePlayerDir(dir, installed, &error)) << error;
        if (before == OwnDirectory) EXPECT_TRUE(fs::is_directory(fs::symlink_status(dir + "/data")));
        else EXPECT_EQ(fs::read_symlink(dir + "/data"), fs::path(installed));
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir + "/data.new")));
    }
    writeFileBytes("file", {1});
    std::string error;
    EXPECT_FALSE(preparePlayerDir("file/quadrune", "installed", &error));
    EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
}
