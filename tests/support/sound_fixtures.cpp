#include "sound_fixtures.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

std::vector<int16_t> sineFrames(int channels, int rate, double hertz, double seconds, double amplitude) {
    auto frames = static_cast<size_t>(seconds * rate);
    std::vector<int16_t> out(frames * channels);
    for (size_t i = 0; i < frames; ++i) {
        double v = amplitude * 32767 * std::sin(2 * M_PI * hertz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c) out[i * channels + c] = static_cast<int16_t>(std::lround(v));
    }
    return out;
}

std::vector<int16_t> rampFrames(int channels, size_t frameCount) {
    std::vector<int16_t> out(frameCount * channels);
    for (size_t i = 0; i < frameCount; ++i)
        for (int c = 0; c < channels; ++c) out[i * channels + c] = static_cast<int16_t>(i * 7 + 100 * c - 8000);
    return out;
}

void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) throw std::runtime_error("cannot write " + path);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(file);
}

double rms(const int16_t* samples, size_t count) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0;
}

int leftZeroCrossings(const std::vector<int16_t>& frames) {
    int crossings = 0;
    for (size_t i = 2; i < frames.size(); i += 2) crossings += (frames[i - 2] < 0) != (frames[i] < 0);
    return crossings;
}

int largestStep(const std::vector<int16_t>& frames) {
    int largest = 0;
    for (size_t i = 2; i < frames.size(); ++i) largest = std::max(largest, std::abs(frames[i] - frames[i - 2]));
    return largest;
}
