// The sound decoder in the browser: Web Audio's decodeAudioData reads the
// whole file, already resampled to the mixing rate, and the game's mixer
// takes its frames from memory. A file the browser cannot decode is
// refused as libsndfile refuses an unknown format.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "sound/sound_decoder.h"

namespace {
// Decodes into stereo floats at `rate`; the frame count, or -1 when the
// browser cannot read the file. The frames wait in Module until taken.
EM_ASYNC_JS(int, decodeInPage, (const uint8_t* bytes, int length, int rate, const char* name), {
    var copy = HEAPU8.slice(bytes, bytes + length).buffer;
    var label = UTF8ToString(name);
    try {
        var context = new OfflineAudioContext(2, 1, rate);
        var decoded = await context.decodeAudioData(copy);
        var left = decoded.getChannelData(0);
        var right = decoded.numberOfChannels > 1 ? decoded.getChannelData(1) : left;
        Module.quadruneDecoded = [left, right];
        return decoded.length;
    } catch (error) {
        console.warn('quadrune: this browser cannot decode ' + label + ': ' + error);
        return -1;
    }
});

EM_JS(void, takeDecoded, (float* out, int frames), {
    var sides = Module.quadruneDecoded;
    var at = out >> 2;
    for (var i = 0; i < frames; ++i) {
        HEAPF32[at + 2 * i] = sides[0][i];
        HEAPF32[at + 2 * i + 1] = sides[1][i];
    }
    Module.quadruneDecoded = null;
});

bool readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
}  // namespace

SoundDecoder::~SoundDecoder() = default;

SoundError openSoundDecoder(SoundDecoder& d, const char* path, uint32_t outRate, bool loop) {
    if (!path || outRate == 0) return SoundInvalidParam;
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return SoundFileNotFound;
    int frames = bytes.empty() ? -1 : decodeInPage(bytes.data(), static_cast<int>(bytes.size()), static_cast<int>(outRate), path);
    if (frames <= 0) return SoundFileFormat;
    d.path = path;
    d.loop = loop;
    d.outRate = outRate;
    d.info = SF_INFO{};
    d.info.frames = frames;
    d.info.samplerate = static_cast<int>(outRate);
    d.info.channels = 2;
    d.decoded.assign(static_cast<size_t>(frames) * 2, 0.0f);
    takeDecoded(d.decoded.data(), frames);
    d.buffer.assign(d.decoded.size(), 0);
    floatToSamples(d.decoded.data(), d.buffer.data(), d.decoded.size());
    d.decoded.clear();
    d.decoded.shrink_to_fit();
    rewindSoundDecoder(d);
    return SoundOk;
}

void rewindSoundDecoder(SoundDecoder& d) {
    d.ended = false;
    d.pending = 0;
    d.available = d.buffer.size() / 2;
    d.readSinceStart = false;
}

size_t readSoundFrames(SoundDecoder& d, int16_t* out, size_t frameCount) {
    size_t done = 0;
    while (done < frameCount && !d.ended) {
        if (d.available == 0) {
            if (!d.loop) {
                d.ended = true;
                break;
            }
            rewindSoundDecoder(d);
        }
        size_t count = std::min(d.available, frameCount - done);
        std::memcpy(out + 2 * done, d.buffer.data() + 2 * d.pending, count * 2 * sizeof(int16_t));
        d.pending += count;
        d.available -= count;
        d.readSinceStart = true;
        done += count;
    }
    return done;
}

SoundError decodeSoundFile(const char* path, uint32_t outRate, std::vector<int16_t>& frames) {
    frames.clear();
    SoundDecoder decoder;
    SoundError error = openSoundDecoder(decoder, path, outRate, false);
    if (error != SoundOk) return error;
    frames.swap(decoder.buffer);
    return frames.empty() ? SoundFileBad : SoundOk;
}
