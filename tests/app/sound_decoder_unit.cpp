#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "app/sound_decoder.h"
#include "sound_fixtures.h"
#include "temp_dir.h"

namespace {
// Reads `total` frames from a looping decoder in pieces of an awkward size.
std::vector<int16_t> readLooping(SoundDecoder& decoder, size_t total, size_t piece) {
    std::vector<int16_t> out(total * 2);
    for (size_t done = 0; done < total;) {
        size_t want = std::min(piece, total - done);
        size_t got = readSoundFrames(decoder, out.data() + 2 * done, want);
        EXPECT_EQ(got, want);
        if (got != want) break;
        done += got;
    }
    return out;
}

std::vector<int16_t> repeated(const std::vector<int16_t>& frames, size_t total) {
    std::vector<int16_t> out(total * 2);
    for (size_t i = 0; i < out.size(); ++i) out[i] = frames[i % frames.size()];
    return out;
}

void expectSine(const std::vector<int16_t>& frames, double seconds, double amplitude, double hertz) {
    double expectedFrames = seconds * 44100;
    EXPECT_NEAR(static_cast<double>(frames.size() / 2), expectedFrames, 2500);
    EXPECT_NEAR(rms(frames.data(), frames.size()), amplitude * 32767 / std::sqrt(2.0), amplitude * 32767 * 0.08);
    EXPECT_NEAR(leftZeroCrossings(frames), 2 * hertz * frames.size() / 2 / 44100, 2 * hertz * seconds * 0.03);
    double sideDifference = 0;
    for (size_t i = 0; i < frames.size(); i += 2) sideDifference += std::abs(frames[i] - frames[i + 1]);
    EXPECT_LT(sideDifference / static_cast<double>(frames.size() / 2), 200);
}
}  // namespace

TEST(SoundDecoder, DecodesOggAndMp3MadeByTheEncoders) {
    TempDir dir;
    writeWav(dir.file("tone.wav"), 44100, 2, sineFrames(2, 44100, 440, 1.0, 0.5));
    ASSERT_TRUE(encodeOgg(dir.file("tone.wav"), dir.file("tone.ogg")));
    ASSERT_TRUE(encodeMp3(dir.file("tone.wav"), dir.file("tone.mp3")));
    // Names that lie about the format: the content decides.
    std::rename(dir.file("tone.ogg").c_str(), dir.file("tone-ogg.mp3").c_str());
    std::rename(dir.file("tone.mp3").c_str(), dir.file("tone-mp3.ogg").c_str());
    for (const char* name : {"tone-ogg.mp3", "tone-mp3.ogg"}) {
        SCOPED_TRACE(name);
        std::vector<int16_t> frames;
        ASSERT_EQ(decodeSoundFile(dir.file(name).c_str(), 44100, frames), SoundOk);
        expectSine(frames, 1.0, 0.5, 440);
    }

    // A full-scale tone comes out of the lossy decoder a little over the top;
    // it must be clipped, not wrapped into crackle.
    writeWav(dir.file("loud.wav"), 44100, 2, sineFrames(2, 44100, 440, 0.5, 1.0));
    ASSERT_TRUE(encodeOgg(dir.file("loud.wav"), dir.file("loud.ogg")));
    std::vector<int16_t> loud;
    ASSERT_EQ(decodeSoundFile(dir.file("loud.ogg").c_str(), 44100, loud), SoundOk);
    EXPECT_LT(largestStep(loud), 6000);
}

TEST(SoundDecoder, MonoAtHalfRatePlaysOnBothSidesAtTheMixRate) {
    TempDir dir;
    writeWav(dir.file("mono.wav"), 22050, 1, sineFrames(1, 22050, 300, 0.5, 0.4));
    std::vector<int16_t> frames;
    ASSERT_EQ(decodeSoundFile(dir.file("mono.wav").c_str(), 44100, frames), SoundOk);
    EXPECT_NEAR(static_cast<double>(frames.size() / 2), 22050.0, 4);
    for (size_t i = 0; i < frames.size(); i += 2) ASSERT_EQ(frames[i], frames[i + 1]) << i;
    expectSine(frames, 0.5, 0.4, 300);

    ASSERT_TRUE(encodeOgg(dir.file("mono.wav"), dir.file("mono.ogg")));
    ASSERT_EQ(decodeSoundFile(dir.file("mono.ogg").c_str(), 44100, frames), SoundOk);
    expectSine(frames, 0.5, 0.4, 300);
}

TEST(SoundDecoder, MissingAndForeignFilesAreToldApart) {
    TempDir dir;
    std::vector<int16_t> frames;
    EXPECT_EQ(decodeSoundFile(dir.file("absent.ogg").c_str(), 44100, frames), SoundFileNotFound);
    writeFileBytes(dir.file("notes.ogg"), std::vector<unsigned char>(3000, 'x'));
    EXPECT_EQ(decodeSoundFile(dir.file("notes.ogg").c_str(), 44100, frames), SoundFileFormat);
    writeFileBytes(dir.file("empty.mp3"), {});
    EXPECT_EQ(decodeSoundFile(dir.file("empty.mp3").c_str(), 44100, frames), SoundFileFormat);
    EXPECT_TRUE(frames.empty());
    SoundDecoder decoder;
    EXPECT_EQ(openSoundDecoder(decoder, nullptr, 44100, true), SoundInvalidParam);
}

TEST(SoundDecoder, LoopSeamHasNoGapAndNoRepeat) {
    TempDir dir;
    const std::vector<int16_t> ramp = rampFrames(2, 3001);
    writeWav(dir.file("ramp.wav"), 44100, 2, ramp);
    SoundDecoder wav;
    ASSERT_EQ(openSoundDecoder(wav, dir.file("ramp.wav").c_str(), 44100, true), SoundOk);
    EXPECT_EQ(readLooping(wav, 3001 * 3 + 500, 777), repeated(ramp, 3001 * 3 + 500));

    // A stopped and restarted stream begins again at its first frame.
    rewindSoundDecoder(wav);
    EXPECT_EQ(readLooping(wav, 10, 10), repeated(ramp, 10));

    // Lossy streams: after the last decoded frame comes the first one again.
    writeWav(dir.file("tone.wav"), 44100, 2, sineFrames(2, 44100, 500, 0.3, 0.5));
    ASSERT_TRUE(encodeOgg(dir.file("tone.wav"), dir.file("tone.ogg")));
    ASSERT_TRUE(encodeMp3(dir.file("tone.wav"), dir.file("tone.mp3")));
    for (const char* name : {"tone.ogg", "tone.mp3"}) {
        SCOPED_TRACE(name);
        std::vector<int16_t> once;
        ASSERT_EQ(decodeSoundFile(dir.file(name).c_str(), 44100, once), SoundOk);
        SoundDecoder stream;
        ASSERT_EQ(openSoundDecoder(stream, dir.file(name).c_str(), 44100, true), SoundOk);
        size_t total = once.size() / 2 * 2 + 1234;
        EXPECT_EQ(readLooping(stream, total, 1000), repeated(once, total));
    }
}

TEST(SoundDecoder, ResampledLoopSpansFromTheLastFrameToTheFirst) {
    TempDir dir;
    const size_t n = 1000;
    const std::vector<int16_t> ramp = rampFrames(2, n);
    writeWav(dir.file("slow.wav"), 22050, 2, ramp);
    SoundDecoder decoder;
    ASSERT_EQ(openSoundDecoder(decoder, dir.file("slow.wav").c_str(), 44100, true), SoundOk);
    std::vector<int16_t> out = readLooping(decoder, 2 * n * 2 + 11, 333);
    for (size_t k = 0; k < out.size() / 4; ++k) {
        for (int c = 0; c < 2; ++c) {
            int a = ramp[2 * (k % n) + c];
            int b = ramp[2 * ((k + 1) % n) + c];
            ASSERT_EQ(out[4 * k + c], a) << k;
            ASSERT_EQ(out[4 * k + 2 + c], a + (b - a) / 2) << k;
        }
    }
}
