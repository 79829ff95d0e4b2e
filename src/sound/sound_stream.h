#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "sound/sound_decoder.h"
#include "sound/sound_errors.h"
#include "sound/sound_ring.h"

// What an FSOUND_STREAM handle points at. The music is decoded ahead, away
// from the mixer, into a ring of about a second; the mixer only copies out
// of the ring, so a slow read never stalls it.
struct FSOUND_STREAM {
    std::mutex decodeLock;  // guards the decoder; never taken by the mixer
    SoundDecoder decoder;
    FrameRing ring;
    std::atomic<bool> feeding{false};      // decoding ahead is wanted
    std::atomic<bool> decodedAll{false};   // a stream that does not loop has ended
    int channel = -1;                      // where it plays, -1 while stopped
};

// Opens the file and sizes the ring for one second at outRate.
SoundError openStream(FSOUND_STREAM& stream, const char* path, uint32_t outRate, bool loop);
// For a stream that does not play: back to its start, with the first part
// decoded so it can sound at once.
void restartStream(FSOUND_STREAM& stream);
// The decoding side: tops the ring up by a bounded piece while feeding.
void decodeAhead(FSOUND_STREAM& stream);
void stopFeeding(FSOUND_STREAM& stream);
// The mixing side: up to frameCount frames out of the ring; `ended` tells
// that nothing will follow what was returned.
size_t takeStreamFrames(FSOUND_STREAM& stream, int16_t* out, size_t frameCount, bool& ended);
