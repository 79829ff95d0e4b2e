#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fixture_data.h"
#include "game_process.h"
#include "scores_x_display.h"
#include "sound_fixtures.h"
#include "temp_dir.h"

TEST(SoundOutput, MenuMusicReachesTheAudioDevice) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    ASSERT_TRUE(scoresHoldXDisplay());
    TempDir dir;
    writeFixtureData(dir.path());
    // Menu music of a known pitch, 1.5 s, so the run crosses its loop seam.
    writeToneFile(dir.file("data/audio/menumusa.ogg"), 500, 1.5, 0.3);
    ASSERT_FALSE(fileExists(dir.file("config.dat")));

    // The menu runs for about two seconds once the sounds are loaded.
    const char* const loaded = "muzaik.mp3....done.\n..done.\n";
    GameProcess game(dir.path(), {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", dir.file("out.raw")}});
    for (int i = 0; i < 300 && game.running() && game.out().find(loaded) == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::string out = game.out();
    EXPECT_NE(out.find(loaded), std::string::npos) << out << game.err();
    EXPECT_EQ(out.find("Init: "), std::string::npos) << out;
    for (int i = 0; i < 44 && game.running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(game.running()) << game.err();
    game.terminate();
    EXPECT_EQ(game.waitForExit(10000), 0) << game.err();

    // From the music's start: at least 1.6 s, loud as the tone and at its
    // pitch, with no crackle where the loop starts over or between buffers.
    std::vector<unsigned char> raw = readFileBytes(dir.file("out.raw"));
    size_t first = 0;
    while (first + 1 < raw.size() && raw[first] == 0 && raw[first + 1] == 0) first += 2;
    first &= ~size_t{3};
    std::vector<int16_t> samples((raw.size() - first) / 2);
    std::memcpy(samples.data(), raw.data() + first, samples.size() * 2);
    ASSERT_GT(samples.size(), 2u * 44100 * 16 / 10);
    double seconds = static_cast<double>(samples.size()) / 2 / 44100;
    EXPECT_NEAR(rms(samples.data(), samples.size()), 0.3 * 32767 / std::sqrt(2.0), 800);
    EXPECT_NEAR(leftZeroCrossings(samples), 1000 * seconds, 10 * seconds);
    EXPECT_LT(largestStep(samples), 2500);
}
