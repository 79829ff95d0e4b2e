#pragma once
#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/sound_errors.h"
#include "sound/sound_mixer.h"

// Reads a sound file of any format libsndfile knows (by content, not by
// name) piece by piece, as 16-bit stereo at the mixing rate. A looping
// decoder starts over at the end of the file without a gap.
struct SoundDecoder {
    SoundDecoder() = default;
    ~SoundDecoder();
    SoundDecoder(const SoundDecoder&) = delete;
    SoundDecoder& operator=(const SoundDecoder&) = delete;

    std::string path;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    bool loop = false;
    bool ended = false;
    bool readSinceStart = false;
    uint32_t outRate = 0;
    LinearResampler resampler;
    std::vector<float> decoded;
    std::vector<int16_t> buffer;  // stereo frames, the next one at `pending`
    size_t pending = 0;
    size_t available = 0;
};

// Opens the file only; nothing is decoded until frames are read.
SoundError openSoundDecoder(SoundDecoder& decoder, const char* path, uint32_t outRate, bool loop);
// Returns fewer than frameCount frames only once a decoder that does not loop has ended.
size_t readSoundFrames(SoundDecoder& decoder, int16_t* out, size_t frameCount);
void rewindSoundDecoder(SoundDecoder& decoder);

// Decodes a whole file at once into stereo frames at outRate.
SoundError decodeSoundFile(const char* path, uint32_t outRate, std::vector<int16_t>& frames);
