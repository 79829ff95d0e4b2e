#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "base/game_state.h"
#include "scores/highscore_table.h"
#include "scripted_platform.h"
#include "temp_dir.h"

namespace {
constexpr size_t kStoreBytes = sizeof(HighscoreStore);

uint32_t le32(const std::vector<unsigned char>& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

class HighscoreFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir.enter();
        std::memset(&gameState.highscores, 0, sizeof gameState.highscores);
        // Each call returns how many came before, so a value names its call.
        platform.fallbackRandom = [this] { return platform.randomCalls - 1; };
    }
    void TearDown() override { std::memset(&gameState.highscores, 0, sizeof gameState.highscores); }
    TempDir dir;
    ScriptedPlatform platform;
};

class HighscoreInsert : public HighscoreFile {
protected:
    void SetUp() override {
        HighscoreFile::SetUp();
        loadHighscores(gameState.highscores);
        std::memcpy(gameState.config.playerName, "ABCDEFGHIJ", 10);  // fills the field, no zero
    }
    void TearDown() override {
        std::memset(&gameState.config, 0, sizeof gameState.config);
        gameState.score = 0;
        gameState.elapsedMs = 0;
        gameState.blocksDestroyed = 0;
        HighscoreFile::TearDown();
    }
    int enter(int mode, uint32_t score, uint32_t elapsedMs, const char* name = nullptr) {
        if (name) {
            std::memset(gameState.config.playerName, 0, 10);
            std::memcpy(gameState.config.playerName, name, std::strlen(name));
        }
        gameState.score = score;
        gameState.elapsedMs = elapsedMs;
        gameState.blocksDestroyed = 77;
        return insertHighscore(mode);
    }
    HighscoreTable& table(int t) { return gameState.highscores.tables[t]; }
};
}  // namespace

TEST_F(HighscoreFile, FreshStoreGetsDefaultsAndFirstSaveWritesTheWholeImage) {
    loadHighscores(gameState.highscores);
    const HighscoreStore& store = gameState.highscores;
    EXPECT_EQ(store.initialisedMarker, 'Y');
    EXPECT_EQ(platform.randomCalls, 800);
    for (int t = 0; t < kHighscoreTables; ++t) {
        for (int r = 0; r < kHighscoreRows; ++r) {
            const HighscoreEntry& row = store.tables[t].rows[r];
            EXPECT_EQ(std::memcmp(row.name, t < 3 ? "VELMO\0\0\0\0\0" : "\0\0\0\0\0\0\0\0\0\0", 10), 0) << t << "/" << r;
            EXPECT_EQ(row.score, 2000u);
            EXPECT_EQ(row.time, 45u);
            EXPECT_EQ(row.blocksDestroyed, 123);
            EXPECT_EQ(row.reserved60, 50);
            EXPECT_EQ(row.scorePerSecond, 0.0);
            // Rows outside, kinds next, tables innermost.
            for (int j = 0; j < 10; ++j) EXPECT_EQ(row.removedByKind[j], (r * 80 + j * 8 + t) % 100 + 1);
        }
    }

    saveHighscores();
    auto bytes = readFileBytes("highscore.dat");
    ASSERT_EQ(bytes.size(), kStoreBytes);
    EXPECT_EQ(bytes[9600], 'Y');
    for (size_t i = 9601; i < kStoreBytes; ++i) EXPECT_EQ(bytes[i], 0);
    size_t row3 = 1200 * 1 + 120 * 3;  // TIMEATTACK, row 3
    EXPECT_EQ(le32(bytes, row3 + 52), 123u);
    EXPECT_EQ(le32(bytes, row3 + 56), 2000u);
    EXPECT_EQ(le32(bytes, row3 + 60), 50u);
    EXPECT_EQ(le32(bytes, row3 + 64), 45u);
    EXPECT_EQ(std::memcmp(bytes.data(), &store, kStoreBytes), 0);
    EXPECT_FALSE(fileExists("highscore.dat.tmp"));
}

TEST_F(HighscoreFile, MarkedFilesLoadAsTheyAreWhateverTheirLength) {
    std::vector<unsigned char> image(kStoreBytes, 0);
    for (size_t i = 0; i < 9600; ++i) image[i] = static_cast<unsigned char>(i * 7);
    image[9600] = 'Y';

    auto longer = image;
    longer.insert(longer.end(), 300, 0xEE);
    writeFileBytes("highscore.dat", longer);
    loadHighscores(gameState.highscores);
    EXPECT_EQ(platform.randomCalls, 0);
    EXPECT_EQ(std::memcmp(&gameState.highscores, image.data(), kStoreBytes), 0);
    saveHighscores();
    EXPECT_EQ(readFileBytes("highscore.dat"), image);

    // Cut just after the marker: still accepted, the reserved tail reads as zero.
    std::memset(&gameState.highscores, 0xAB, kStoreBytes);
    writeFileBytes("highscore.dat", std::vector<unsigned char>(image.begin(), image.begin() + 9601));
    loadHighscores(gameState.highscores);
    EXPECT_EQ(platform.randomCalls, 0);
    EXPECT_EQ(std::memcmp(&gameState.highscores, image.data(), kStoreBytes), 0);
}

TEST_F(HighscoreFile, ShortOrMissingFilesFallBackToDefaults) {
    std::vector<unsigned char> part(5000, 0x41);
    writeFileBytes("highscore.dat", part);
    std::memset(&gameState.highscores, 0xAB, kStoreBytes);  // nothing stale may survive
    loadHighscores(gameState.highscores);
    const HighscoreStore& store = gameState.highscores;
    EXPECT_EQ(store.initialisedMarker, 'Y');
    EXPECT_EQ(platform.randomCalls, 800);
    const HighscoreEntry& first = store.tables[0].rows[0];
    EXPECT_EQ(std::memcmp(first.name, "VELMO\0AAAA", 10), 0);  // the defaults write six bytes only
    EXPECT_EQ(first.reserved80[0], 0x41);
    const HighscoreEntry& late = store.tables[5].rows[2];  // past the end of the file
    EXPECT_EQ(late.name[0], 0);
    EXPECT_EQ(late.reserved80[39], 0);
    EXPECT_EQ(late.score, 2000u);
    EXPECT_EQ(store.reserved9601[6], 0);

    // An empty file behaves like no file at all.
    writeFileBytes("highscore.dat", {});
    std::memset(&gameState.highscores, 0, kStoreBytes);
    loadHighscores(gameState.highscores);
    EXPECT_EQ(gameState.highscores.tables[2].rows[9].score, 2000u);
    EXPECT_STREQ(gameState.highscores.tables[2].rows[9].name, "VELMO");
}

TEST_F(HighscoreFile, FailedSaveKeepsTheTablesOnDisk) {
    loadHighscores(gameState.highscores);
    saveHighscores();
    auto before = readFileBytes("highscore.dat");
    ASSERT_EQ(before.size(), kStoreBytes);

    // The temporary file cannot be made, so nothing may be written.
    ASSERT_EQ(mkdir("highscore.dat.tmp", 0755), 0);
    gameState.highscores.tables[0].rows[0].score = 99;
    saveHighscores();
    EXPECT_EQ(readFileBytes("highscore.dat"), before);
    EXPECT_EQ(gameState.highscores.tables[0].rows[0].score, 99u);  // kept for the next save

    rmdir("highscore.dat.tmp");
    saveHighscores();
    EXPECT_EQ(le32(readFileBytes("highscore.dat"), 56), 99u);
}

TEST_F(HighscoreInsert, FreePlayNeedsAHundredSecondsAndRanksByScorePerSecond) {
    HighscoreStore fresh = gameState.highscores;
    EXPECT_EQ(enter(FreePlay, 9000, 99999), kNotEntered);
    EXPECT_EQ(std::memcmp(&gameState.highscores, &fresh, sizeof fresh), 0);

    // A fresh store ranks every row at 0.0, so even a scoreless game leads.
    ASSERT_EQ(enter(FreePlay, 5000, 100000), 0);
    const HighscoreEntry& top = table(0).rows[0];
    EXPECT_EQ(std::memcmp(top.name, "ABCDEFGHIJ", 10), 0);
    EXPECT_EQ(top.score, 5000u);
    EXPECT_EQ(top.blocksDestroyed, 77);
    EXPECT_EQ(top.time, 100u);  // whole seconds in this table
    EXPECT_DOUBLE_EQ(top.scorePerSecond, 50.0);
    EXPECT_EQ(top.reserved60, 50);
    EXPECT_EQ(std::memcmp(top.removedByKind, fresh.tables[0].rows[0].removedByKind, 40), 0);
    for (int r = 1; r < kHighscoreRows; ++r)
        EXPECT_EQ(std::memcmp(&table(0).rows[r], &fresh.tables[0].rows[r - 1], 120), 0) << r;
    EXPECT_EQ(std::memcmp(&table(1), &fresh.tables[1], sizeof(HighscoreTable)), 0);

    // The same ratio goes above; a lower one below; seconds are truncated.
    EXPECT_EQ(enter(FreePlay, 10000, 200000, "SAME"), 0);
    EXPECT_STREQ(table(0).rows[1].name, "ABCDEFGHIJ");
    EXPECT_EQ(enter(FreePlay, 2550, 102000, "LOWER"), 2);
    EXPECT_EQ(table(0).rows[2].time, 102u);
    EXPECT_DOUBLE_EQ(table(0).rows[2].scorePerSecond, 25.0);
    EXPECT_EQ(enter(FreePlay, 0, 100999, "ZERO"), 3);
    EXPECT_EQ(table(0).rows[3].time, 100u);
}

TEST_F(HighscoreInsert, AFullTableLosesItsLastRow) {
    for (int i = 0; i < kHighscoreRows; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "P%d", i);
        ASSERT_EQ(enter(FreePlay, 100000 - 1000 * i, 100000, name), i);  // each below the last
    }
    EXPECT_STREQ(table(0).rows[9].name, "P9");
    EXPECT_EQ(enter(FreePlay, 95500, 100000, "MID"), 5);
    EXPECT_STREQ(table(0).rows[5].name, "MID");
    EXPECT_STREQ(table(0).rows[6].name, "P5");
    EXPECT_STREQ(table(0).rows[9].name, "P8");

    HighscoreStore full = gameState.highscores;
    EXPECT_EQ(enter(FreePlay, 1000, 100000, "LOW"), kNotEntered);
    EXPECT_EQ(std::memcmp(&gameState.highscores, &full, sizeof full), 0);
}

TEST_F(HighscoreInsert, TimeAttackRanksByMillisecondsLasted) {
    HighscoreStore fresh = gameState.highscores;
    EXPECT_EQ(enter(TimeAttack, 900, 44), kNotEntered);  // the defaults hold 45 ms
    EXPECT_EQ(std::memcmp(&gameState.highscores, &fresh, sizeof fresh), 0);
    ASSERT_EQ(enter(TimeAttack, 900, 45, "EVEN"), 0);
    EXPECT_EQ(table(1).rows[0].time, 45u);
    EXPECT_DOUBLE_EQ(table(1).rows[0].scorePerSecond, 20000.0);

    ASSERT_EQ(enter(TimeAttack, 13000, 65000, "LONG"), 0);
    EXPECT_EQ(table(1).rows[0].time, 65000u);
    EXPECT_DOUBLE_EQ(table(1).rows[0].scorePerSecond, 200.0);
    EXPECT_EQ(enter(TimeAttack, 1, 65000, "TIE"), 0);
    EXPECT_STREQ(table(1).rows[1].name, "LONG");
    EXPECT_EQ(enter(TimeAttack, 1, 50000, "MID"), 2);
    // Unsigned: a game longer than 2^31 ms is still the longest.
    EXPECT_EQ(enter(TimeAttack, 1, 0x90000000u, "HUGE"), 0);
    EXPECT_EQ(std::memcmp(&table(0), &fresh.tables[0], sizeof(HighscoreTable)), 0);
}

TEST_F(HighscoreInsert, OtherModesAreNeverEntered) {
    HighscoreStore fresh = gameState.highscores;
    for (int mode : {int{Hardcore}, int{HundredMoves}, 0, 5, -1})
        EXPECT_EQ(enter(mode, 999999, 500000), kNotEntered) << mode;
    EXPECT_EQ(std::memcmp(&gameState.highscores, &fresh, sizeof fresh), 0);
}
