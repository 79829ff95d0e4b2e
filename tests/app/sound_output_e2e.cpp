#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/config_file.h"
#include "fixture_data.h"
#include "game_process.h"
#include "sound_fixtures.h"
#include "temp_dir.h"
// Last: its macros (None, Bool) clash with names in the headers above.
#include <X11/Xlib.h>

namespace {
const char* const kSoundsLoaded = "muzaik.mp3....done.\n..done.\n";

// An X server whose last client leaves resets itself, and the game's own
// connection can fall into that gap; one connection held for the whole
// test process keeps the server up.
void keepXServerUp() {
    static Display* held = XOpenDisplay(nullptr);
    ASSERT_NE(held, nullptr);
}

// Starts the game on the disk audio driver, lets the menu run for about two
// seconds once the sounds are loaded, quits it with SIGTERM and returns what
// the driver wrote.
std::vector<int16_t> playMenu(const TempDir& dir, std::string& out) {
    keepXServerUp();
    GameProcess game(dir.path(), {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", dir.file("out.raw")}});
    for (int i = 0; i < 300 && game.running() && game.out().find(kSoundsLoaded) == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    out = game.out();
    EXPECT_NE(out.find(kSoundsLoaded), std::string::npos) << out << game.err();
    for (int i = 0; i < 44 && game.running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(game.running()) << game.err();
    game.terminate();
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();
    std::vector<unsigned char> raw = readFileBytes(dir.file("out.raw"));
    std::vector<int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    return samples;
}

void writeGameData(const TempDir& dir) {
    writeFixtureData(dir.path());
    // Menu music of a known pitch, 1.5 s, so the run crosses its loop seam.
    writeWav(dir.file("menu.wav"), 44100, 2, sineFrames(2, 44100, 500, 1.5, 0.3));
    ASSERT_TRUE(encodeOgg(dir.file("menu.wav"), dir.file("data/audio/menumusa.ogg")));
}
}  // namespace

TEST(SoundOutput, MenuMusicReachesTheAudioDevice) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    TempDir dir;
    writeGameData(dir);
    ASSERT_FALSE(fileExists(dir.file("config.dat")));
    std::string out;
    std::vector<int16_t> samples = playMenu(dir, out);
    EXPECT_EQ(out.find("Init: "), std::string::npos) << out;

    // The device runs from FSOUND_Init on; the music starts once the files
    // are loaded. From there: at least 1.6 s, loud as the tone and at its
    // pitch, with no crackle where the loop starts over or between buffers.
    size_t first = 0;
    while (first < samples.size() && samples[first] == 0) ++first;
    samples.erase(samples.begin(), samples.begin() + static_cast<long>(first & ~size_t{1}));
    ASSERT_GT(samples.size(), 2u * 44100 * 16 / 10);
    double seconds = static_cast<double>(samples.size()) / 2 / 44100;
    EXPECT_NEAR(rms(samples.data(), samples.size()), 0.3 * 32767 / std::sqrt(2.0), 800);
    EXPECT_NEAR(leftZeroCrossings(samples), 1000 * seconds, 10 * seconds);
    EXPECT_LT(largestStep(samples), 2500);
}

TEST(SoundOutput, MusicSwitchedOffLeavesTheDeviceSilent) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    TempDir dir;
    writeGameData(dir);
    ConfigRecord config{};
    std::strcpy(config.playerName, "quiet");
    config.speed = 50;
    config.gameMode = FreePlay;
    config.musicOn = 0;
    config.validMarker = 'Y';
    std::vector<unsigned char> bytes(sizeof config);
    std::memcpy(bytes.data(), &config, sizeof config);
    writeFileBytes(dir.file("config.dat"), bytes);
    std::string out;
    std::vector<int16_t> samples = playMenu(dir, out);
    ASSERT_GT(samples.size(), 2u * 44100);
    EXPECT_EQ(rms(samples.data(), samples.size()), 0.0);
}
