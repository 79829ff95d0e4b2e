#include <gtest/gtest.h>

#include <vector>

#include "sound/sound_mixer.h"

TEST(SoundMixer, SamplesClampAndStereoComesFromAnyChannelCount) {
    const std::vector<float> in = {0.5f, -1.0f, 1.2f, -1.5f, 32767 / 32768.0f, -3 / 32768.0f, 0.0f};
    std::vector<int16_t> out(in.size());
    floatToSamples(in.data(), out.data(), in.size());
    EXPECT_EQ(out, (std::vector<int16_t>{16384, -32768, 32767, -32768, 32767, -3, 0}));

    const std::vector<int32_t> edges = {32767, -32768, 32768, -32769};
    std::vector<int16_t> clamped(4);
    saturateFrames(edges.data(), clamped.data(), 2);
    EXPECT_EQ(clamped, (std::vector<int16_t>{32767, -32768, 32767, -32768}));

    std::vector<int16_t> mono = {1, 2, 3, 0, 0, 0};
    toStereo(mono.data(), 1, 3, mono.data());  // in place, as the decoder does
    EXPECT_EQ(mono, (std::vector<int16_t>{1, 1, 2, 2, 3, 3}));
    std::vector<int16_t> surround = {1, 2, 9, 9, 3, 4, 9, 9};
    toStereo(surround.data(), 4, 2, surround.data());
    EXPECT_EQ(std::vector<int16_t>(surround.begin(), surround.begin() + 4), (std::vector<int16_t>{1, 2, 3, 4}));
}

TEST(SoundMixer, ResamplingIgnoresHowInputIsSplitAndDownsamplingNeverStalls) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 400; ++i) ramp.insert(ramp.end(), {static_cast<int16_t>(i * 50), static_cast<int16_t>(-i * 30)});
    LinearResampler oneGo, piecewise;
    resetResampler(oneGo, 32000, 44100);
    resetResampler(piecewise, 32000, 44100);
    std::vector<int16_t> expected(1200), got;
    size_t used = 0;
    size_t expectedFrames = resampleFrames(oneGo, ramp.data(), 400, used, expected.data(), 600);
    // Fed one frame at a time into a small output window.
    int16_t window[6];
    for (size_t i = 0; i < 400; ++i) {
        size_t left = 1;
        for (size_t n = 3; n == 3;) {  // a full window may hide more output
            size_t step = 0;
            n = resampleFrames(piecewise, ramp.data() + 2 * (i + 1 - left), left, step, window, 3);
            got.insert(got.end(), window, window + 2 * n);
            left -= step;
        }
    }
    ASSERT_EQ(got.size(), expectedFrames * 2);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin()));
    EXPECT_NEAR(expected[2 * 441], 441 * 50.0 * 32000 / 44100, 1.0);

    LinearResampler down;
    resetResampler(down, 48000, 22050);
    size_t made = resampleFrames(down, ramp.data(), 400, used, expected.data(), 600);
    EXPECT_EQ(used, 400u);
    EXPECT_NEAR(static_cast<double>(made), 400 * 22050.0 / 48000, 1.0);
}
