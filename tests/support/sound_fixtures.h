#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Sounds for the sound layer's tests: exact 16-bit WAV files written with
// libsndfile, and Ogg Vorbis / MP3 made from them by the stand-alone encoders.
std::vector<int16_t> sineFrames(int channels, int rate, double hertz, double seconds, double amplitude);
// A ramp that differs at every frame, so a skipped or repeated frame shows.
std::vector<int16_t> rampFrames(int channels, size_t frameCount);
void writeWav(const std::string& path, int rate, int channels, const std::vector<int16_t>& samples);
// Both return false when the encoder is missing or fails.
bool encodeOgg(const std::string& wav, const std::string& ogg);
bool encodeMp3(const std::string& wav, const std::string& mp3);

// Sound statistics of interleaved stereo frames.
double rms(const int16_t* samples, size_t count);
// Sign changes of the left channel: twice the frequency for a sine.
int leftZeroCrossings(const std::vector<int16_t>& frames);
int largestStep(const std::vector<int16_t>& frames);  // biggest jump between neighbours of one side
