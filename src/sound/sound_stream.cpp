#include "sound/sound_stream.h"

namespace {
constexpr size_t kPieceFrames = 4096;    // decoded per turn, so a turn stays short
constexpr size_t kStartFrames = 8192;    // ready before a stream starts

// Decodes into the ring until `limit` frames are in or it is full.
void fill(FSOUND_STREAM& stream, size_t limit) {
    for (size_t done = 0; done < limit && !stream.decodedAll.load(std::memory_order_relaxed);) {
        size_t room = limit - done;
        int16_t* at = stream.ring.writeSpan(room);
        if (room == 0) return;
        size_t got = readSoundFrames(stream.decoder, at, room);
        stream.ring.commit(got);
        done += got;
        if (got < room) stream.decodedAll.store(true, std::memory_order_release);
    }
}
}  // namespace

SoundError openStream(FSOUND_STREAM& stream, const char* path, uint32_t outRate, bool loop) {
    std::lock_guard<std::mutex> lock(stream.decodeLock);
    SoundError error = openSoundDecoder(stream.decoder, path, outRate, loop);
    if (error == SoundOk) stream.ring.reset(outRate);
    return error;
}

void restartStream(FSOUND_STREAM& stream) {
    std::lock_guard<std::mutex> lock(stream.decodeLock);
    rewindSoundDecoder(stream.decoder);
    stream.ring.clear();
    stream.decodedAll.store(false, std::memory_order_relaxed);
    fill(stream, kStartFrames);
    stream.feeding.store(true, std::memory_order_relaxed);
}

void decodeAhead(FSOUND_STREAM& stream) {
    std::lock_guard<std::mutex> lock(stream.decodeLock);
    if (stream.feeding.load(std::memory_order_relaxed)) fill(stream, kPieceFrames);
}

void stopFeeding(FSOUND_STREAM& stream) { stream.feeding.store(false, std::memory_order_relaxed); }

size_t takeStreamFrames(FSOUND_STREAM& stream, int16_t* out, size_t frameCount, bool& ended) {
    // Read the flag first: once it is set, everything decoded is in the ring.
    bool decodedAll = stream.decodedAll.load(std::memory_order_acquire);
    size_t got = stream.ring.read(out, frameCount);
    ended = decodedAll && got < frameCount;
    return got;
}
