#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "base/config_file.h"
#include "base/game_state.h"
#include "temp_dir.h"

namespace {
std::vector<unsigned char> validRecordBytes() {
    std::vector<unsigned char> bytes(80, 0);
    std::memcpy(bytes.data(), "ZED", 3);
    bytes[12] = 26;  // speed 0x1A
    bytes[24] = 3;   // HARDCORE
    bytes[28] = 0;   // music off
    bytes[72] = 'Y';
    bytes[11] = 0x0D;  // reserved bytes keep what was read
    bytes[40] = 0x1A;
    return bytes;
}

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir.enter();
        std::memset(&gameState.config, 0, sizeof gameState.config);
    }
    void TearDown() override { std::memset(&gameState.config, 0, sizeof gameState.config); }
    TempDir dir;
};

void expectDefaults(const ConfigRecord& c) {
    EXPECT_STREQ(c.playerName, "VELMO");
    for (int i = 5; i < 10; ++i) EXPECT_EQ(c.playerName[i], 0);
    EXPECT_EQ(c.speed, 50);
    EXPECT_EQ(c.gameMode, 1);
    EXPECT_EQ(c.musicOn, 1);
    EXPECT_EQ(c.validMarker, 'Y');
}
}  // namespace

TEST_F(ConfigFile, MissingOrUninitialisedFilesGetDefaults) {
    loadConfig();
    applyConfigDefaults();
    expectDefaults(gameState.config);

    // Shorter than 73 bytes: the marker is never read, so the defaults apply
    // and the bytes that were read stay.
    std::memset(&gameState.config, 0, sizeof gameState.config);
    auto bytes = validRecordBytes();
    writeFileBytes("config.dat", std::vector<unsigned char>(bytes.begin(), bytes.begin() + 72));
    loadConfig();
    EXPECT_EQ(gameState.config.gameMode, 3);
    applyConfigDefaults();
    expectDefaults(gameState.config);
    EXPECT_EQ(gameState.config.reserved10[1], 0x0D);

    // A whole record whose marker is not 'Y'.
    std::memset(&gameState.config, 0, sizeof gameState.config);
    bytes[72] = 'N';
    writeFileBytes("config.dat", bytes);
    loadConfig();
    applyConfigDefaults();
    expectDefaults(gameState.config);
}

TEST_F(ConfigFile, MarkedRecordIsKeptAsReadWhateverItsLength) {
    auto bytes = validRecordBytes();
    for (size_t length : {73u, 79u, 80u, 200u}) {
        std::memset(&gameState.config, 0, sizeof gameState.config);
        std::vector<unsigned char> file(bytes.begin(), bytes.begin() + std::min<size_t>(length, 80));
        file.resize(length, 0xEE);
        writeFileBytes("config.dat", file);
        loadConfig();
        applyConfigDefaults();
        EXPECT_STREQ(gameState.config.playerName, "ZED") << length;
        EXPECT_EQ(gameState.config.speed, 26) << length;
        EXPECT_EQ(gameState.config.gameMode, 3) << length;
        EXPECT_EQ(gameState.config.musicOn, 0) << length;
    }
    // The long file's extra bytes are not read and the next save truncates.
    saveConfig();
    EXPECT_EQ(readFileBytes("config.dat"), bytes);
}

TEST_F(ConfigFile, SaveWritesTheRawRecordAndRoundTrips) {
    applyConfigDefaults();
    saveConfig();
    auto saved = readFileBytes("config.dat");
    ASSERT_EQ(saved.size(), 80u);
    EXPECT_EQ(std::memcmp(saved.data(), "VELMO\0\0\0\0\0", 10), 0);
    EXPECT_EQ(saved[12], 50);
    EXPECT_EQ(saved[13] | saved[14] | saved[15], 0);
    EXPECT_EQ(saved[24], 1);
    EXPECT_EQ(saved[28], 1);
    EXPECT_EQ(saved[72], 'Y');

    for (int speed : {13, 26, 0x0D0A1A0D}) {
        gameState.config.speed = speed;
        saveConfig();
        std::memset(&gameState.config, 0, sizeof gameState.config);
        loadConfig();
        EXPECT_EQ(gameState.config.speed, speed);
    }
    EXPECT_FALSE(fileExists("config.dat.tmp"));
}

TEST_F(ConfigFile, FailedSaveKeepsTheOldFile) {
    auto bytes = validRecordBytes();
    writeFileBytes("config.dat", bytes);
    // A directory where the temporary file would go makes the write fail.
    ASSERT_EQ(mkdir("config.dat.tmp", 0700), 0);
    applyConfigDefaults();
    gameState.config.speed = 99;
    saveConfig();
    EXPECT_EQ(readFileBytes("config.dat"), bytes);
}

TEST(NameField, CopyStopsAtTheFieldEvenWithoutATerminator) {
    char field[10];
    std::memcpy(field, "ABCDEFGHIJ", 10);
    char out[16];
    copyNameField(field, sizeof field, out, sizeof out);
    EXPECT_STREQ(out, "ABCDEFGHIJ");
    copyNameField("AB\0CD", 5, out, sizeof out);
    EXPECT_STREQ(out, "AB");
    copyNameField(field, sizeof field, out, 4);
    EXPECT_STREQ(out, "ABC");
}

TEST(SceneVariables, StartValuesAndKeyTableBounds) {
    std::memset(&gameState.config, 0, sizeof gameState.config);
    initSceneVariables(gameState);
    EXPECT_EQ(gameState.boardColumns, 6);
    EXPECT_EQ(gameState.boardRows, 9);
    EXPECT_EQ(gameState.windowWidth, 640);
    EXPECT_EQ(gameState.windowHeight, 480);
    EXPECT_EQ(gameState.pendingDrops, 6);
    ASSERT_NE(gameState.textures, nullptr);
    expectDefaults(gameState.config);

    setKeyDown(322, 1);
    EXPECT_EQ(gameState.keyDown[322], 1);
    setKeyDown(323, 1);  // outside the table: ignored, never written
    setKeyDown(-5, 1);
    setKeyDown(322, 0);
    for (int k = 0; k < kKeyTableSize; ++k) ASSERT_EQ(gameState.keyDown[k], 0) << k;
}
