#pragma once
#include <cstddef>
#include <cstdint>

// The mixer's arithmetic, free of any device: 16-bit stereo frames
// (left, right interleaved) summed in 32 bits and clamped back.
void addFrames(int32_t* sum, const int16_t* frames, size_t frameCount);
void saturateFrames(const int32_t* sum, int16_t* out, size_t frameCount);

// Decoded samples at full scale ±1.0 to 16 bits; overshoot is clamped.
void floatToSamples(const float* in, int16_t* out, size_t count);

// Mono goes to both sides; of more than two channels the first two are kept.
void toStereo(const int16_t* in, int channels, size_t frameCount, int16_t* out);

// Linear rate conversion that can be fed in pieces of any size: the same
// input gives the same output however it is split.
struct LinearResampler {
    uint32_t fromRate = 1;
    uint32_t toRate = 1;
    uint32_t phase = 0;  // distance past frame a, in 1/toRate of an input frame
    int needed = 2;      // input frames to take before the next output frame
    int16_t a[2] = {0, 0};
    int16_t b[2] = {0, 0};
};

void resetResampler(LinearResampler& resampler, uint32_t fromRate, uint32_t toRate);
// Writes up to outFrames frames; `used` tells how many input frames went in.
size_t resampleFrames(LinearResampler& resampler, const int16_t* in, size_t inFrames, size_t& used,
                      int16_t* out, size_t outFrames);
