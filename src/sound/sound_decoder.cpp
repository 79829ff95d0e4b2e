#include "sound/sound_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {
constexpr size_t kChunkFrames = 1024;

bool openFile(SoundDecoder& d) {
    d.info = SF_INFO{};
    d.file = sf_open(d.path.c_str(), SFM_READ, &d.info);
    if (!d.file) return false;
    if (d.info.channels < 1 || d.info.samplerate < 1) {
        sf_close(d.file);
        d.file = nullptr;
        return false;
    }
    return true;
}

// Back to the first frame without touching the resampler, so a loop joins
// the last frame straight to the first.
void restartFile(SoundDecoder& d) {
    d.readSinceStart = false;
    if (d.file && sf_seek(d.file, 0, SEEK_SET) == 0) return;
    if (d.file) sf_close(d.file);
    d.file = nullptr;
    int channels = d.info.channels;
    if (openFile(d) && d.info.channels != channels) {
        sf_close(d.file);
        d.file = nullptr;
    }
}

bool refill(SoundDecoder& d) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Read as float and clamp ourselves: libsndfile's own conversion of
        // lossy formats to 16 bits wraps where the decoder overshoots full scale.
        sf_count_t got = d.file ? sf_readf_float(d.file, d.decoded.data(), kChunkFrames) : 0;
        if (got > 0) {
            size_t frames = static_cast<size_t>(got);
            floatToSamples(d.decoded.data(), d.buffer.data(), frames * d.info.channels);
            toStereo(d.buffer.data(), d.info.channels, frames, d.buffer.data());
            d.pending = 0;
            d.available = frames;
            d.readSinceStart = true;
            return true;
        }
        // A file that gives nothing even from its start would loop forever.
        if (!d.loop || !d.readSinceStart) break;
        restartFile(d);
    }
    d.ended = true;
    return false;
}
}  // namespace

SoundDecoder::~SoundDecoder() {
    if (file) sf_close(file);
}

SoundError openSoundDecoder(SoundDecoder& d, const char* path, uint32_t outRate, bool loop) {
    if (!path || outRate == 0) return SoundInvalidParam;
    std::FILE* probe = std::fopen(path, "rb");
    if (!probe) return SoundFileNotFound;
    std::fclose(probe);
    d.path = path;
    if (!openFile(d)) return SoundFileFormat;
    d.loop = loop;
    d.outRate = outRate;
    d.decoded.assign(kChunkFrames * static_cast<size_t>(d.info.channels), 0.0f);
    d.buffer.assign(kChunkFrames * static_cast<size_t>(std::max(2, d.info.channels)), 0);
    rewindSoundDecoder(d);
    return SoundOk;
}

void rewindSoundDecoder(SoundDecoder& d) {
    if (!d.path.empty() && (d.readSinceStart || !d.file)) restartFile(d);
    d.ended = false;
    d.pending = d.available = 0;
    resetResampler(d.resampler, static_cast<uint32_t>(d.info.samplerate), d.outRate);
}

size_t readSoundFrames(SoundDecoder& d, int16_t* out, size_t frameCount) {
    size_t done = 0;
    while (done < frameCount && !d.ended) {
        if (d.available == 0 && !refill(d)) break;
        const int16_t* in = d.buffer.data() + 2 * d.pending;
        size_t used = 0;
        size_t made = 0;
        if (static_cast<uint32_t>(d.info.samplerate) == d.outRate) {
            made = used = std::min(d.available, frameCount - done);
            std::memcpy(out + 2 * done, in, made * 2 * sizeof(int16_t));
        } else {
            made = resampleFrames(d.resampler, in, d.available, used, out + 2 * done, frameCount - done);
        }
        d.pending += used;
        d.available -= used;
        done += made;
    }
    return done;
}

SoundError decodeSoundFile(const char* path, uint32_t outRate, std::vector<int16_t>& frames) {
    frames.clear();
    SoundDecoder decoder;
    SoundError error = openSoundDecoder(decoder, path, outRate, false);
    if (error != SoundOk) return error;
    try {
        std::vector<int16_t> piece(kChunkFrames * 2);
        size_t got;
        do {
            got = readSoundFrames(decoder, piece.data(), kChunkFrames);
            frames.insert(frames.end(), piece.begin(), piece.begin() + 2 * got);
        } while (got == kChunkFrames);
    } catch (const std::bad_alloc&) {
        frames.clear();
        frames.shrink_to_fit();
        return SoundNoMemory;
    }
    return frames.empty() ? SoundFileBad : SoundOk;
}
