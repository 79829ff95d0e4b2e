#include <gtest/gtest.h>

#include <vector>

#include "sound/sound_channels.h"
#include "sound/sound_system.h"
#include "sound_fixtures.h"
#include "temp_dir.h"

namespace {
std::vector<int16_t> mix(ChannelSet& channels, size_t frames) {
    std::vector<int16_t> out(frames * 2);
    mixChannels(channels, out.data(), frames);
    return out;
}

FSOUND_SAMPLE makeSample(std::vector<int16_t> frames, bool loop = false) {
    FSOUND_SAMPLE sample;
    sample.frames = std::move(frames);
    sample.loop = loop;
    return sample;
}
}  // namespace

TEST(SoundChannels, SamplePlayedTwiceOverlapsOnTwoChannels) {
    ChannelSet channels;
    resetChannels(channels, 32);
    FSOUND_SAMPLE ramp = makeSample(rampFrames(2, 3000));
    SoundError error = SoundOk;
    ASSERT_EQ(startSample(channels, FSOUND_FREE, &ramp, error), 0);
    std::vector<int16_t> head = mix(channels, 1000);
    ASSERT_EQ(startSample(channels, FSOUND_FREE, &ramp, error), 1);
    std::vector<int16_t> rest = mix(channels, 3000);
    head.insert(head.end(), rest.begin(), rest.end());
    for (size_t i = 0; i < 4000 * 2; ++i) {
        int first = i < 3000 * 2 ? ramp.frames[i] : 0;
        int second = i >= 1000 * 2 ? ramp.frames[i - 1000 * 2] : 0;
        ASSERT_EQ(head[i], first + second) << i;
    }
    // Played once, both have ended and given their channels back.
    EXPECT_EQ(activeChannels(channels), 0);
    EXPECT_EQ(mix(channels, 10), std::vector<int16_t>(20, 0));
}

TEST(SoundChannels, LoudChannelsSaturateAndEveryChannelCanBeTaken) {
    ChannelSet channels;
    resetChannels(channels, 32);
    FSOUND_SAMPLE loud = makeSample({20000, -20000, 12000, -100}, true);
    SoundError error = SoundOk;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(startSample(channels, FSOUND_FREE, &loud, error), i);
    EXPECT_EQ(mix(channels, 4), (std::vector<int16_t>{32767, -32768, 32767, -300, 32767, -32768, 32767, -300}));

    for (int i = 3; i < 32; ++i) ASSERT_EQ(startSample(channels, FSOUND_FREE, &loud, error), i);
    EXPECT_EQ(startSample(channels, FSOUND_FREE, &loud, error), -1);
    EXPECT_EQ(error, SoundNoFreeChannel);
    EXPECT_EQ(startSample(channels, 32, &loud, error), -1);
    EXPECT_EQ(error, SoundInvalidParam);
    // A named channel is taken over.
    FSOUND_SAMPLE quiet = makeSample({1, 2});
    EXPECT_EQ(startSample(channels, 5, &quiet, error), 5);
    EXPECT_EQ(activeChannels(channels), 32);
    stopSample(channels, &loud);
    EXPECT_EQ(activeChannels(channels), 1);
    EXPECT_EQ(mix(channels, 2), (std::vector<int16_t>{1, 2, 0, 0}));
}

TEST(SoundChannels, StreamLoopsOverTheSeamStopsAndRestartsFromItsBeginning) {
    TempDir dir;
    const std::vector<int16_t> ramp = rampFrames(2, 1500);
    writeWav(dir.file("loop.wav"), 44100, 2, ramp);
    FSOUND_STREAM stream;
    ASSERT_EQ(openStream(stream, dir.file("loop.wav").c_str(), 44100, true), SoundOk);
    restartStream(stream);
    ChannelSet channels;
    resetChannels(channels, 4);
    FSOUND_SAMPLE blip = makeSample({5, 5});
    SoundError error = SoundOk;
    startSample(channels, FSOUND_FREE, &blip, error);
    ASSERT_EQ(startStream(channels, FSOUND_FREE, &stream, error), 1);
    EXPECT_EQ(stream.channel, 1);

    std::vector<int16_t> out = mix(channels, 4000);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], ramp[i % ramp.size()] + (i < 2 ? 5 : 0)) << i;

    stopChannel(channels, stream.channel);
    EXPECT_EQ(stream.channel, -1);
    EXPECT_EQ(mix(channels, 3), std::vector<int16_t>(6, 0));
    restartStream(stream);
    ASSERT_EQ(startStream(channels, 3, &stream, error), 3);
    out = mix(channels, 2);
    EXPECT_EQ(out, std::vector<int16_t>(ramp.begin(), ramp.begin() + 4));

    // A stream that does not loop ends and frees its channel.
    FSOUND_STREAM once;
    ASSERT_EQ(openStream(once, dir.file("loop.wav").c_str(), 44100, false), SoundOk);
    restartStream(once);
    resetChannels(channels, 4);
    EXPECT_EQ(stream.channel, -1);
    startStream(channels, FSOUND_FREE, &once, error);
    out = mix(channels, 2000);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 3000), ramp);
    EXPECT_EQ(std::vector<int16_t>(out.begin() + 3000, out.end()), std::vector<int16_t>(1000, 0));
    EXPECT_EQ(once.channel, -1);
    EXPECT_EQ(activeChannels(channels), 0);
}
