#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "sound/sound_decoder.h"
#include "fixture_data.h"
#include "sound_fixtures.h"
#include "temp_dir.h"

namespace {
class SoundDecoderTest : public ::testing::Test {
protected:
    std::string file(const char* name) { return dir.file(name); }
    std::vector<int16_t> decode(const char* name) {
        std::vector<int16_t> frames;
        EXPECT_EQ(decodeSoundFile(file(name).c_str(), 44100, frames), SoundOk) << name;
        return frames;
    }
    // Reads `total` frames from a looping decoder in pieces of an awkward size.
    std::vector<int16_t> readLooping(const char* name, size_t total, size_t piece) {
        SoundDecoder decoder;
        EXPECT_EQ(openSoundDecoder(decoder, file(name).c_str(), 44100, true), SoundOk);
        std::vector<int16_t> out(total * 2);
        for (size_t done = 0; done < total;) {
            size_t got = readSoundFrames(decoder, out.data() + 2 * done, std::min(piece, total - done));
            if (got == 0) break;
            done += got;
        }
        return out;
    }
    TempDir dir;
};

std::vector<int16_t> repeated(const std::vector<int16_t>& frames, size_t total) {
    std::vector<int16_t> out(total * 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = frames[i % frames.size()];
    return out;
}

void expectSine(const std::vector<int16_t>& frames, double seconds, double amplitude, double hertz) {
    EXPECT_NEAR(static_cast<double>(frames.size() / 2), seconds * 44100, 2500);
    EXPECT_NEAR(rms(frames.data(), frames.size()), amplitude * 32767 / std::sqrt(2.0), amplitude * 32767 * 0.08);
    EXPECT_NEAR(leftZeroCrossings(frames), 2 * hertz * frames.size() / 2 / 44100, 2 * hertz * seconds * 0.03);
    double sideDifference = 0;
    for (size_t i = 0; i < frames.size(); i += 2) sideDifference += std::abs(frames[i] - frames[i + 1]);
    EXPECT_LT(sideDifference / static_cast<double>(frames.size() / 2), 200);
}
}  // namespace

TEST_F(SoundDecoderTest, DecodesByContentResamplesMonoAndClipsOvershoot) {
    writeToneFile(file("tone.ogg"), 440, 1.0, 0.5);
    writeToneFile(file("tone.mp3"), 440, 1.0, 0.5);
    // Names that lie about the format: the content decides.
    std::rename(file("tone.ogg").c_str(), file("tone-ogg.mp3").c_str());
    std::rename(file("tone.mp3").c_str(), file("tone-mp3.ogg").c_str());
    expectSine(decode("tone-ogg.mp3"), 1.0, 0.5, 440);
    expectSine(decode("tone-mp3.ogg"), 1.0, 0.5, 440);

    writeWav(file("mono.wav"), 22050, 1, sineFrames(1, 22050, 300, 0.5, 0.4));
    std::vector<int16_t> mono = decode("mono.wav");
    EXPECT_NEAR(static_cast<double>(mono.size() / 2), 22050.0, 4);
    for (size_t i = 0; i < mono.size(); i += 2) ASSERT_EQ(mono[i], mono[i + 1]) << i;
    expectSine(mono, 0.5, 0.4, 300);

    // A full-scale tone comes out of the lossy decoder a little over the top;
    // it must be clipped, not wrapped into crackle.
    writeToneFile(file("loud.ogg"), 440, 0.5, 1.0);
    EXPECT_LT(largestStep(decode("loud.ogg")), 6000);
}

TEST_F(SoundDecoderTest, MissingAndForeignFilesAreToldApart) {
    std::vector<int16_t> frames;
    EXPECT_EQ(decodeSoundFile(file("absent.ogg").c_str(), 44100, frames), SoundFileNotFound);
    writeFileBytes(file("notes.ogg"), std::vector<unsigned char>(3000, 'x'));
    EXPECT_EQ(decodeSoundFile(file("notes.ogg").c_str(), 44100, frames), SoundFileFormat);
    writeFileBytes(file("empty.mp3"), {});
    EXPECT_EQ(decodeSoundFile(file("empty.mp3").c_str(), 44100, frames), SoundFileFormat);
    EXPECT_TRUE(frames.empty());
    SoundDecoder decoder;
    EXPECT_EQ(openSoundDecoder(decoder, nullptr, 44100, true), SoundInvalidParam);
}

TEST_F(SoundDecoderTest, LoopSeamHasNoGapAndNoRepeat) {
    const std::vector<int16_t> ramp = rampFrames(2, 3001);
    writeWav(file("ramp.wav"), 44100, 2, ramp);
    EXPECT_EQ(readLooping("ramp.wav", 3001 * 3 + 500, 777), repeated(ramp, 3001 * 3 + 500));
    // Lossy streams: after the last decoded frame comes the first one again.
    writeToneFile(file("tone.ogg"), 500, 0.3, 0.5);
    writeToneFile(file("tone.mp3"), 500, 0.3, 0.5);
    for (const char* name : {"tone.ogg", "tone.mp3"}) {
        std::vector<int16_t> once = decode(name);
        size_t total = once.size() / 2 * 2 + 1234;
        EXPECT_EQ(readLooping(name, total, 1000), repeated(once, total)) << name;
    }
    // At half rate the seam is spanned from the last frame to the first.
    const size_t n = 1000;
    const std::vector<int16_t> slow = rampFrames(2, n);
    writeWav(file("slow.wav"), 22050, 2, slow);
    std::vector<int16_t> out = readLooping("slow.wav", 2 * n * 2 + 11, 333);
    for (size_t k = 0; k < out.size() / 4; ++k)
        for (int c = 0; c < 2; ++c) {
            int a = slow[2 * (k % n) + c], b = slow[2 * ((k + 1) % n) + c];
            ASSERT_EQ(out[4 * k + c], a) << k;
            ASSERT_EQ(out[4 * k + 2 + c], a + (b - a) / 2) << k;
        }
}
