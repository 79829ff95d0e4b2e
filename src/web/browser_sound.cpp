#include "web/browser_sound.h"

#include <emscripten.h>

#include "sound/sound_channels.h"
#include "sound/sound_library.h"

namespace {
// A game pass sleeps 50 ms; this much queued ahead rides out a slow pass.
constexpr double kQueueAheadSeconds = 0.25;

bool playing = false;
int16_t block[kMixBlockFrames * 2];

EM_JS(int, openPageAudio, (int rate), {
    var context = Module.quadruneAudio;
    if (!context) return 0;
    Module.quadruneAudioNext = 0;
    return context.sampleRate === rate ? 1 : 0;
});

// Seconds of sound queued beyond the page's clock; -1 without audio.
EM_JS(double, pageAudioAhead, (), {
    var context = Module.quadruneAudio;
    if (!context || context.state === 'closed') return -1;
    return Math.max(0, (Module.quadruneAudioNext || 0) - context.currentTime);
});

EM_JS(void, queuePageAudio, (const int16_t* frames, int count), {
    var context = Module.quadruneAudio;
    var buffer = context.createBuffer(2, count, context.sampleRate);
    var left = buffer.getChannelData(0), right = buffer.getChannelData(1);
    var at = frames >> 1;
    for (var i = 0; i < count; ++i) {
        left[i] = HEAP16[at + 2 * i] / 32768;
        right[i] = HEAP16[at + 2 * i + 1] / 32768;
    }
    var source = context.createBufferSource();
    source.buffer = buffer;
    source.connect(context.destination);
    var start = Math.max(Module.quadruneAudioNext || 0, context.currentTime + 0.02);
    source.start(start);
    Module.quadruneAudioNext = start + count / context.sampleRate;
});

bool openPage(uint32_t mixRate) { return playing = openPageAudio(static_cast<int>(mixRate)) != 0; }
void closePage() { playing = false; }
// The mixer runs on the game's one thread, between the changes.
void noLock() {}

const SoundOutput page = {openPage, closePage, noLock, noLock};
}  // namespace

void pumpBrowserSound() {
    if (!playing) return;
    // A tab in the background gets its timers slowed: never mix more than a
    // queue's worth in one go.
    for (int blocks = 0; blocks < 16; ++blocks) {
        double ahead = pageAudioAhead();
        if (ahead < 0 || ahead >= kQueueAheadSeconds) return;
        // Before every block: after a slow pass the queue takes more blocks
        // than one turn of decoding holds, and the music would skip.
        decodeStreamsAhead();
        mixSound(block, kMixBlockFrames);
        queuePageAudio(block, static_cast<int>(kMixBlockFrames));
    }
}

SoundApi browserSoundApi() { return soundApiOver(page); }
