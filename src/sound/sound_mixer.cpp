#include "sound/sound_mixer.h"

#include <cmath>
#include <cstring>

void addFrames(int32_t* sum, const int16_t* frames, size_t frameCount) {
    for (size_t i = 0; i < frameCount * 2; ++i) sum[i] += frames[i];
}

void saturateFrames(const int32_t* sum, int16_t* out, size_t frameCount) {
    for (size_t i = 0; i < frameCount * 2; ++i) {
        int32_t v = sum[i];
        out[i] = static_cast<int16_t>(v > INT16_MAX ? INT16_MAX : v < INT16_MIN ? INT16_MIN : v);
    }
}

void floatToSamples(const float* in, int16_t* out, size_t count) {
    // 32768 undoes the decoder's scaling of 16-bit files exactly.
    for (size_t i = 0; i < count; ++i) {
        float v = in[i] * 32768.0f;
        out[i] = static_cast<int16_t>(v >= 32767.0f ? 32767 : v <= -32768.0f ? -32768 : std::lrintf(v));
    }
}

void toStereo(const int16_t* in, int channels, size_t frameCount, int16_t* out) {
    if (channels == 2) {
        std::memmove(out, in, frameCount * 2 * sizeof(int16_t));
        return;
    }
    // Mono widens, so in place it has to run from the end.
    if (channels == 1) {
        for (size_t i = frameCount; i-- > 0;) out[2 * i] = out[2 * i + 1] = in[i];
        return;
    }
    for (size_t i = 0; i < frameCount; ++i) {
        out[2 * i] = in[i * channels];
        out[2 * i + 1] = in[i * channels + 1];
    }
}

void resetResampler(LinearResampler& resampler, uint32_t fromRate, uint32_t toRate) {
    resampler = LinearResampler{};
    resampler.fromRate = fromRate;
    resampler.toRate = toRate;
}

size_t resampleFrames(LinearResampler& r, const int16_t* in, size_t inFrames, size_t& used, int16_t* out,
                      size_t outFrames) {
    used = 0;
    size_t produced = 0;
    while (produced < outFrames) {
        for (; r.needed > 0; --r.needed) {
            if (used == inFrames) return produced;
            r.a[0] = r.b[0];
            r.a[1] = r.b[1];
            r.b[0] = in[2 * used];
            r.b[1] = in[2 * used + 1];
            ++used;
        }
        for (int c = 0; c < 2; ++c) {
            int64_t step = static_cast<int64_t>(r.b[c] - r.a[c]) * r.phase / r.toRate;
            out[2 * produced + c] = static_cast<int16_t>(r.a[c] + step);
        }
        ++produced;
        r.phase += r.fromRate;
        while (r.phase >= r.toRate) {
            r.phase -= r.toRate;
            ++r.needed;
        }
    }
    return produced;
}
