#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Exact 16-bit sounds for the sound layer's tests; lossy files come from
// writeToneFile (fixture_data.h).
std::vector<int16_t> sineFrames(int channels, int rate, double hertz, double seconds, double amplitude);
// A ramp that differs at every frame, so a skipped or repeated frame shows.
std::vector<int16_t> rampFrames(int channels, size_t frameCount);
void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples);

// Statistics of interleaved stereo frames.
double rms(const int16_t* samples, size_t count);
int leftZeroCrossings(const std::vector<int16_t>& frames);  // twice the frequency for a sine
int largestStep(const std::vector<int16_t>& frames);        // biggest jump within one side
