#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "sound/sound_errors.h"
#include "sound/sound_system.h"
#include "fixture_data.h"
#include "sound_fixtures.h"
#include "temp_dir.h"

namespace {
// Every handle operation the game issues even with sound off; none may act.
void callEverything(FSOUND_STREAM* stream, FSOUND_SAMPLE* sample) {
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1);
    EXPECT_EQ(FSOUND_Stream_Stop(stream), 0);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sample), -1);
    EXPECT_EQ(FSOUND_Sample_SetMode(sample, FSOUND_LOOP_OFF), 0);
    FSOUND_Sample_Free(sample);
}

struct DiskAudio {
    explicit DiskAudio(const std::string& file) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    }
    ~DiskAudio() {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
};
}  // namespace

TEST(SoundDevice, WithoutADeviceInitFailsAndEverythingElseDoesNothing) {
    TempDir dir;
    writeWav(dir.file("tone.wav"), 44100, 2, sineFrames(2, 44100, 440, 0.1, 0.5));
    // Before any start.
    EXPECT_EQ(FSOUND_Stream_Open(dir.file("tone.wav").c_str(), FSOUND_LOOP_NORMAL, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), SoundNotInitialised);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, dir.file("tone.wav").c_str(), FSOUND_STEREO, 0, 0), nullptr);
    callEverything(nullptr, nullptr);
    int notAHandle[4] = {};
    callEverything(reinterpret_cast<FSOUND_STREAM*>(notAHandle), reinterpret_cast<FSOUND_SAMPLE*>(notAHandle));
    FSOUND_Close();
    EXPECT_EQ(FSOUND_GetError(), SoundNotInitialised);

    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(FSOUND_SetMixer(0), 1);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(FSOUND_GetError(), SoundNoDevice);
    EXPECT_STREQ(FMOD_ErrorString(FSOUND_GetError()), "No audio device");
    EXPECT_STREQ(FMOD_ErrorString(18), "Unknown error");
    EXPECT_STREQ(FMOD_ErrorString(-1), "Unknown error");
    EXPECT_EQ(FSOUND_Stream_Open(dir.file("tone.wav").c_str(), FSOUND_LOOP_NORMAL, 0, 0), nullptr);
    callEverything(nullptr, nullptr);
    FSOUND_Close();
}

TEST(SoundDevice, PlaysToTheDiskDeviceAndRefusesStaleHandlesAfterClose) {
    TempDir dir;
    DiskAudio disk(dir.file("out.raw"));
    writeWav(dir.file("tone.wav"), 44100, 2, sineFrames(2, 44100, 440, 0.2, 0.5));
    writeToneFile(dir.file("tone.ogg"), 440, 0.2, 0.5);
    EXPECT_EQ(FSOUND_Init(44100, 0, 0), 0);
    EXPECT_EQ(FSOUND_GetError(), SoundInvalidParam);
    ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1) << SDL_GetError();
    EXPECT_EQ(FSOUND_GetError(), SoundOk);
    EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
    EXPECT_EQ(FSOUND_GetError(), SoundAlreadyStarted);

    EXPECT_EQ(FSOUND_Stream_Open(dir.file("missing.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), SoundFileNotFound);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, dir.file("tone.wav").c_str(), FSOUND_STEREO, 10, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), SoundInvalidParam);
    FSOUND_Stream_Open(dir.file("missing.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, 0);
    callEverything(nullptr, nullptr);
    EXPECT_EQ(FSOUND_GetError(), SoundInvalidParam);

    FSOUND_STREAM* music = FSOUND_Stream_Open(dir.file("tone.ogg").c_str(), FSOUND_LOOP_NORMAL, 0, 0);
    FSOUND_SAMPLE* click = FSOUND_Sample_Load(FSOUND_FREE, dir.file("tone.wav").c_str(), FSOUND_STEREO, 0, 0);
    ASSERT_NE(music, nullptr);
    ASSERT_NE(click, nullptr);
    EXPECT_EQ(FSOUND_Sample_SetMode(click, FSOUND_LOOP_OFF), 1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), 0);  // already playing: same channel
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, click), 1);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, click), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(FSOUND_Stream_Stop(music), 1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
    FSOUND_Sample_Free(click);  // while it may still be playing
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, click), -1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    FSOUND_Close();

    // The freed and the closed handles are refused, not followed.
    callEverything(music, click);
    EXPECT_EQ(FSOUND_GetError(), SoundNotInitialised);
    FSOUND_Close();

    std::vector<unsigned char> raw = readFileBytes(dir.file("out.raw"));
    ASSERT_GT(raw.size(), 44100u * 4 / 10);
    std::vector<int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    EXPECT_GT(rms(samples.data(), samples.size()), 3000);
}

TEST(SoundDevice, StartsStopsAndFreesWhileTheMixerRuns) {
    TempDir dir;
    DiskAudio disk(dir.file("out.raw"));
    setenv("SDL_DISKAUDIODELAY", "1", 1);  // keep the mixer thread busy
    writeWav(dir.file("blip.wav"), 22050, 1, sineFrames(1, 22050, 900, 0.05, 0.5));
    writeWav(dir.file("loop.wav"), 44100, 2, rampFrames(2, 5000));
    ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1) << SDL_GetError();
    FSOUND_STREAM* music = FSOUND_Stream_Open(dir.file("loop.wav").c_str(), FSOUND_LOOP_NORMAL, 0, 0);
    ASSERT_NE(music, nullptr);
    for (int round = 0; round < 200; ++round) {
        FSOUND_SAMPLE* blip = FSOUND_Sample_Load(FSOUND_FREE, dir.file("blip.wav").c_str(), FSOUND_STEREO, 0, 0);
        ASSERT_NE(blip, nullptr);
        FSOUND_Sample_SetMode(blip, round % 2 ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
        EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, blip), 0);
        EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
        if (round % 3 == 0) SDL_Delay(1);
        EXPECT_EQ(FSOUND_Stream_Stop(music), 1);
        FSOUND_Sample_Free(blip);
    }
    FSOUND_Close();
    unsetenv("SDL_DISKAUDIODELAY");
    EXPECT_GT(readFileBytes(dir.file("out.raw")).size(), 0u);
}
