#include "sound/sound_library.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "sound/sound_channels.h"
#include "sound/sound_decoder.h"
#include "sound/sound_errors.h"
#include "sound/sound_stream.h"
#include "sound/sound_system.h"

namespace {
constexpr int kMaxChannels = 256;

struct SoundLibrary {
    const SoundOutput* output = nullptr;
    bool running = false;
    int error = SoundOk;
    uint32_t mixRate = 0;
    ChannelSet channels;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples;
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    std::mutex streamsLock;  // the list, between the game and the decoding
};

// Made at first use, as the seam table may be filled before this file's
// statics are; never freed, as an output's thread may still mix while the
// program's statics are destroyed.
SoundLibrary& lib() {
    static SoundLibrary& library = *new SoundLibrary;
    return library;
}

struct MixerLock {
    MixerLock() { lib().output->lock(); }
    ~MixerLock() { lib().output->unlock(); }
};

bool fail(int code) {
    lib().error = code;
    return false;
}

bool usable() { return lib().running || fail(SoundNotInitialised); }

// Handles are checked against what is alive, so a stale or foreign one is
// refused instead of followed.
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
    if (lib().running) return fail(SoundAlreadyStarted);
    if (mixRate < 4000 || mixRate > 192000 || channelCount < 1 || channelCount > kMaxChannels)
        return fail(SoundInvalidParam);
    resetChannels(lib().channels, channelCount);
    lib().mixRate = static_cast<uint32_t>(mixRate);
    if (!lib().output->open(lib().mixRate)) return fail(SoundNoDevice);
    lib().running = true;
    lib().error = SoundOk;
    return 1;
}

int getError() { return lib().error; }

FSOUND_STREAM* streamOpen(const char* name, unsigned mode, int offset, int length) {
    if (!plainLoad(name, offset, length)) return nullptr;
    try {
        auto stream = std::make_unique<FSOUND_STREAM>();
        int code = openStream(*stream, name, lib().mixRate, (mode & FSOUND_LOOP_NORMAL) != 0);
        if (code != SoundOk) {
            fail(code);
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(lib().streamsLock);
        lib().streams.push_back(std::move(stream));
    } catch (const std::bad_alloc&) {
        fail(SoundNoMemory);
        return nullptr;
    }
    return lib().streams.back().get();
}

FSOUND_SAMPLE* sampleLoad(int, const char* name, unsigned mode, int offset, int length) {
    if (!plainLoad(name, offset, length)) return nullptr;
    try {
        auto sample = std::make_unique<FSOUND_SAMPLE>();
        int code = decodeSoundFile(name, lib().mixRate, sample->frames);
        if (code != SoundOk) {
            fail(code);
            return nullptr;
        }
        sample->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
        lib().samples.push_back(std::move(sample));
    } catch (const std::bad_alloc&) {
        fail(SoundNoMemory);
        return nullptr;
    }
    return lib().samples.back().get();
}

signed char sampleSetMode(FSOUND_SAMPLE* handle, unsigned mode) {
    FSOUND_SAMPLE* sample = live(lib().samples, handle);
    if (!sample) return 0;
    if (mode & FSOUND_LOOP_NORMAL) sample->loop = true;
    else if (mode & FSOUND_LOOP_OFF) sample->loop = false;
    return 1;
}

int streamPlay(int channel, FSOUND_STREAM* handle) {
    FSOUND_STREAM* stream = live(lib().streams, handle);
    if (!stream) return -1;
    {
        MixerLock lock;
        if (stream->channel >= 0) return stream->channel;
    }
    // Stopped, so the mixer does not touch it: decode outside the lock.
    restartStream(*stream);
    SoundError error = SoundOk;
    MixerLock lock;
    int used = startStream(lib().channels, channel, stream, error);
    if (used < 0) fail(error);
    return used;
}

signed char streamStop(FSOUND_STREAM* handle) {
    FSOUND_STREAM* stream = live(lib().streams, handle);
    if (!stream) return 0;
    {
        MixerLock lock;
        stopChannel(lib().channels, stream->channel);
    }
    stopFeeding(*stream);
    return 1;
}

int playSound(int channel, FSOUND_SAMPLE* handle) {
    FSOUND_SAMPLE* sample = live(lib().samples, handle);
    if (!sample) return -1;
    SoundError error = SoundOk;
    MixerLock lock;
    int used = startSample(lib().channels, channel, sample, error);
    if (used < 0) fail(error);
    return used;
}

void sampleFree(FSOUND_SAMPLE* handle) {
    FSOUND_SAMPLE* sample = live(lib().samples, handle);
    if (!sample) return;
    {
        MixerLock lock;
        stopSample(lib().channels, sample);
    }
    lib().samples.erase(std::find_if(lib().samples.begin(), lib().samples.end(),
                                   [sample](const auto& item) { return item.get() == sample; }));
}

void close() {
    if (!usable()) return;
    lib().output->close();
    resetChannels(lib().channels, 0);
    lib().samples.clear();
    {
        std::lock_guard<std::mutex> lock(lib().streamsLock);
        lib().streams.clear();
    }
    lib().running = false;
}
}  // namespace

SoundApi soundApiOver(const SoundOutput& output) {
    lib().output = &output;
    return {getVersion, setMixer, init, getError, streamOpen, sampleLoad, sampleSetMode,
            streamPlay, streamStop, playSound, sampleFree, close};
}

void mixSound(int16_t* out, size_t frames) { mixChannels(lib().channels, out, frames); }

void decodeStreamsAhead() {
    std::lock_guard<std::mutex> lock(lib().streamsLock);
    for (auto& stream : lib().streams) decodeAhead(*stream);
}
