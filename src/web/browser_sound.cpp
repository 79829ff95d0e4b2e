#include "web/browser_sound.h"

#include <emscripten.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "sound/sound_channels.h"
#include "sound/sound_decoder.h"
#include "sound/sound_errors.h"
#include "sound/sound_stream.h"
#include "sound/sound_system.h"

namespace {
constexpr int kMaxChannels = 256;
// A game pass sleeps 50 ms; this much queued ahead rides out a slow pass.
constexpr double kQueueAheadSeconds = 0.25;

struct BrowserSound {
    bool running = false;
    int error = SoundOk;
    uint32_t mixRate = 0;
    ChannelSet channels;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples;
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    int16_t block[kMixBlockFrames * 2];
};
BrowserSound sys;

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

bool fail(int code) {
    sys.error = code;
    return false;
}

bool usable() { return sys.running || fail(SoundNotInitialised); }

template <typename T>
T* live(const std::vector<std::unique_ptr<T>>& list, T* handle) {
    if (!usable()) return nullptr;
    for (const auto& item : list)
        if (item.get() == handle) return handle;
    fail(SoundInvalidParam);
    return nullptr;
}

bool plainLoad(const char* name, int offset, int length) {
    if (!usable()) return false;
    if (!name || offset != 0 || length != 0) return fail(SoundInvalidParam);
    return true;
}

float getVersion() { return kRequiredSoundVersion; }
signed char setMixer(int) { return 1; }

signed char init(int mixRate, int channelCount, unsigned) {
    if (sys.running) return fail(SoundAlreadyStarted);
    if (mixRate < 4000 || mixRate > 192000 || channelCount < 1 || channelCount > kMaxChannels)
        return fail(SoundInvalidParam);
    if (!openPageAudio(mixRate)) return fail(SoundNoDevice);
    resetChannels(sys.channels, channelCount);
    sys.mixRate = static_cast<uint32_t>(mixRate);
    sys.running = true;
    sys.error = SoundOk;
    return 1;
}

int getError() { return sys.error; }

FSOUND_STREAM* streamOpen(const char* name, unsigned mode, int offset, int length) {
    if (!plainLoad(name, offset, length)) return nullptr;
    try {
        auto stream = std::make_unique<FSOUND_STREAM>();
        int code = openStream(*stream, name, sys.mixRate, (mode & FSOUND_LOOP_NORMAL) != 0);
        if (code != SoundOk) {
            fail(code);
            return nullptr;
        }
        sys.streams.push_back(std::move(stream));
    } catch (const std::bad_alloc&) {
        fail(SoundNoMemory);
        return nullptr;
    }
    return sys.streams.back().get();
}

FSOUND_SAMPLE* sampleLoad(int, const char* name, unsigned mode, int offset, int length) {
    if (!plainLoad(name, offset, length)) return nullptr;
    try {
        auto sample = std::make_unique<FSOUND_SAMPLE>();
        int code = decodeSoundFile(name, sys.mixRate, sample->frames);
        if (code != SoundOk) {
            fail(code);
            return nullptr;
        }
        sample->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
        sys.samples.push_back(std::move(sample));
    } catch (const std::bad_alloc&) {
        fail(SoundNoMemory);
        return nullptr;
    }
    return sys.samples.back().get();
}

signed char sampleSetMode(FSOUND_SAMPLE* handle, unsigned mode) {
    FSOUND_SAMPLE* sample = live(sys.samples, handle);
    if (!sample) return 0;
    if (mode & FSOUND_LOOP_NORMAL) sample->loop = true;
    else if (mode & FSOUND_LOOP_OFF) sample->loop = false;
    return 1;
}

int streamPlay(int channel, FSOUND_STREAM* handle) {
    FSOUND_STREAM* stream = live(sys.streams, handle);
    if (!stream) return -1;
    if (stream->channel >= 0) return stream->channel;
    restartStream(*stream);
    SoundError error = SoundOk;
    int used = startStream(sys.channels, channel, stream, error);
    if (used < 0) fail(error);
    return used;
}

signed char streamStop(FSOUND_STREAM* handle) {
    FSOUND_STREAM* stream = live(sys.streams, handle);
    if (!stream) return 0;
    stopChannel(sys.channels, stream->channel);
    stopFeeding(*stream);
    return 1;
}

int playSound(int channel, FSOUND_SAMPLE* handle) {
    FSOUND_SAMPLE* sample = live(sys.samples, handle);
    if (!sample) return -1;
    SoundError error = SoundOk;
    int used = startSample(sys.channels, channel, sample, error);
    if (used < 0) fail(error);
    return used;
}

void sampleFree(FSOUND_SAMPLE* handle) {
    FSOUND_SAMPLE* sample = live(sys.samples, handle);
    if (!sample) return;
    stopSample(sys.channels, sample);
    sys.samples.erase(std::find_if(sys.samples.begin(), sys.samples.end(),
                                   [sample](const auto& item) { return item.get() == sample; }));
}

void close() {
    if (!usable()) return;
    resetChannels(sys.channels, 0);
    sys.samples.clear();
    sys.streams.clear();
    sys.running = false;
}
}  // namespace

void pumpBrowserSound() {
    if (!sys.running) return;
    for (auto& stream : sys.streams) decodeAhead(*stream);
    // A tab in the background gets its timers slowed: never mix more than a
    // queue's worth in one go.
    for (int blocks = 0; blocks < 16; ++blocks) {
        double ahead = pageAudioAhead();
        if (ahead < 0 || ahead >= kQueueAheadSeconds) return;
        mixChannels(sys.channels, sys.block, kMixBlockFrames);
        queuePageAudio(sys.block, static_cast<int>(kMixBlockFrames));
    }
}

SoundApi browserSoundApi() {
    return {getVersion, setMixer, init, getError, streamOpen, sampleLoad, sampleSetMode,
            streamPlay, streamStop, playSound, sampleFree, close};
}
