#pragma once
// The FSOUND_ operations over the game's own mixer, whatever plays what it
// mixes: the SDL audio device natively, Web Audio in the browser.

#include <cstddef>
#include <cstdint>

#include "rules/seams.h"

struct SoundOutput {
    bool (*open)(uint32_t mixRate);  // false when there is no device
    void (*close)();                 // mixSound is not called after it
    // Around each change the mixer reads, for an output that mixes on a
    // thread of its own.
    void (*lock)();
    void (*unlock)();
};

// The operations, playing through `output`, which must outlive them.
SoundApi soundApiOver(const SoundOutput& output);

// What the output calls: the playing channels mixed into `frames` stereo
// frames, and the open streams decoded ahead of the mixer.
void mixSound(int16_t* out, size_t frames);
void decodeStreamsAhead();
