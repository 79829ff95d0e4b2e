#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "render/png_loader.h"
#include "sound/sound_decoder.h"
#include "sound/sound_mixer.h"
#include "test_support.h"

// Pictures and sounds as the player's files hold them.
namespace {
using Bytes = std::vector<uint8_t>;

// The loader ends the process on a failure, so each load runs in a child.
std::pair<int, std::string> loadInChild(const std::string& path) {
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen("child.txt", "w", stdout)) _exit(99);
        PngImage image;
        loadPng(image, path.c_str());
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Bytes out = readFileBytes("child.txt");
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(out.begin(), out.end())};
}

void writeWav(const std::string& path, int rate, const std::vector<int16_t>& stereo) {
    SF_INFO info{0, rate, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_writef_short(file, stereo.data(), static_cast<sf_count_t>(stereo.size() / 2));
    sf_close(file);
}

std::vector<int16_t> readLooping(const std::string& path, size_t frames, size_t piece) {
    SoundDecoder decoder;
    EXPECT_EQ(openSoundDecoder(decoder, path.c_str(), 44100, true), SoundOk);
    std::vector<int16_t> out(frames * 2);
    for (size_t done = 0, got = 1; done < frames && got > 0; done += got)
        got = readSoundFrames(decoder, out.data() + 2 * done, std::min(piece, frames - done));
    return out;
}
}  // namespace

TEST(Pictures, EveryFailureNamesTheFileAndEndsWithCode12) {
    Bytes whole = readFileBytes(QUADRUNE_SOURCE_DIR "/data/pics/game.png"), flipped = whole;
    writeFileBytes("whole.png", whole);
    flipped[flipped.size() / 2] ^= 0x5A;  // breaks the compressed data's checksum
    struct Case {
        const char* name;
        Bytes content;
        std::string out;
    } cases[] = {
        {"text.png", {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g'}, "not png type text.png"},
        {"cut.png", Bytes(whole.begin(), whole.begin() + whole.size() / 2), "Error while loading 'cut.png'\n"},
        {"bare.png", Bytes(whole.begin(), whole.begin() + 8), "Error while loading 'bare.png'\n"},
        {"flipped.png", flipped, "Error while loading 'flipped.png'\n"},
    };
    for (const Case& c : cases) {
        writeFileBytes(c.name, c.content);
        EXPECT_EQ(loadInChild(c.name), std::make_pair(12, c.out)) << c.name;
    }
    EXPECT_EQ(loadInChild("none.png"), std::make_pair(12, std::string("Error while loading 'none.png'\n")));
    EXPECT_EQ(loadInChild("whole.png"), std::make_pair(0, std::string()));
}

TEST(Sound, LoopsJoinWithoutAGapOrARepeatAtAnyRate) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 3001; ++i) ramp.insert(ramp.end(), {int16_t(i * 7 - 8000), int16_t(i * 7 - 7900)});
    writeWav("ramp.wav", 44100, ramp);
    std::vector<int16_t> looped = readLooping("ramp.wav", 3001 * 3 + 500, 777);
    for (size_t i = 0; i < looped.size(); ++i) ASSERT_EQ(looped[i], ramp[i % ramp.size()]) << i;
    // At half the rate every other frame lies halfway, across the seam too.
    writeWav("slow.wav", 22050, std::vector<int16_t>(ramp.begin(), ramp.begin() + 2000));
    std::vector<int16_t> slow = readLooping("slow.wav", 4011, 333);
    for (size_t k = 0; k + 1 < slow.size() / 4; ++k) {
        int a = ramp[2 * (k % 1000)], b = ramp[2 * ((k + 1) % 1000)];
        ASSERT_EQ(slow[4 * k + 2], a + (b - a) / 2) << k;
    }
    std::vector<int16_t> frames;
    EXPECT_EQ(decodeSoundFile("absent.ogg", 44100, frames), SoundFileNotFound);
    writeFileBytes("notes.ogg", Bytes(3000, 'x'));
    EXPECT_EQ(decodeSoundFile("notes.ogg", 44100, frames), SoundFileFormat);
}

TEST(Sound, MixingSaturatesInsteadOfWrapping) {
    const std::vector<int32_t> sums = {32767, -32768, 32768, -32769, 99999, -99999};
    std::vector<int16_t> clamped(6);
    saturateFrames(sums.data(), clamped.data(), 3);
    EXPECT_EQ(clamped, (std::vector<int16_t>{32767, -32768, 32767, -32768, 32767, -32768}));
}

// With -1 dBFS left on every file, music and a boom together stay clear of
// the mixer's clamp.
TEST(Sound, EveryGameSoundDecodesWithHeadroom) {
    const int limit = int(32768 * std::pow(10.0, -1.0 / 20));
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUADRUNE_SOURCE_DIR "/data/audio")) {
        std::vector<int16_t> frames;
        ASSERT_EQ(decodeSoundFile(entry.path().c_str(), 44100, frames), SoundOk) << entry.path();
        int peak = 0;
        for (int16_t s : frames) peak = std::max(peak, std::abs(int(s)));
        EXPECT_LE(peak, limit) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 5);
}
