// The FSOUND_ operations over SDL's audio device. The game calls them on
// its one thread; SDL mixes on its audio thread, so everything the mixer
// reads changes only under the audio lock, which is only ever held briefly.
// A third thread decodes the music ahead into each stream's ring.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "sound/sound_channels.h"
#include "sound/sound_decoder.h"
#include "sound/sound_stream.h"
#include "sound/sound_errors.h"
#include "sound/sound_system.h"

namespace {
constexpr int kMaxChannels = 256;
// A turn of the decoding thread tops each ring up by a few thousand frames;
// at this pace it keeps well ahead of the mixer.
constexpr auto kFeedPause = std::chrono::milliseconds(10);

// Decodes every playing stream ahead, turn after turn, until stopped.
class StreamFeeder {
public:
    void start(std::vector<std::unique_ptr<FSOUND_STREAM>>& streams, std::mutex& streamsLock) {
        quit_ = false;
        thread_ = std::thread([this, &streams, &streamsLock] { run(streams, streamsLock); });
    }
    void stop() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }

private:
    void run(std::vector<std::unique_ptr<FSOUND_STREAM>>& streams, std::mutex& streamsLock) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            lock.unlock();
            {
                std::lock_guard<std::mutex> listLock(streamsLock);
                for (auto& stream : streams) decodeAhead(*stream);
            }
            lock.lock();
            wake_.wait_for(lock, kFeedPause, [this] { return quit_; });
        }
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
};

struct SoundSystem {
    bool running = false;
    int error = SoundOk;
    uint32_t mixRate = 0;
    ChannelSet channels;
    std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples;
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    std::mutex streamsLock;  // the list, between the game and the feeder
    StreamFeeder feeder;

    // A process that ends without FSOUND_Close must not leave the mixer
    // or the feeder reading what the static destructors free.
    ~SoundSystem() {
        if (running) SDL_CloseAudio();
        feeder.stop();
    }
};

SoundSystem sys;

struct AudioLock {
    AudioLock() { SDL_LockAudio(); }
    ~AudioLock() { SDL_UnlockAudio(); }
};

std::atomic<uint64_t> worstCallbackNs{0};
std::atomic<uint64_t> callbackCount{0};

void mixCallback(void*, Uint8* stream, int length) {
    auto start = std::chrono::steady_clock::now();
    mixChannels(sys.channels, reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / 4);
    auto spent = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start);
    uint64_t ns = static_cast<uint64_t>(spent.count());
    if (ns > worstCallbackNs.load(std::memory_order_relaxed)) worstCallbackNs.store(ns, std::memory_order_relaxed);
    callbackCount.fetch_add(1, std::memory_order_relaxed);
}

bool fail(int code) {
    sys.error = code;
    return false;
}

bool usable() { return sys.running || fail(SoundNotInitialised); }

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

float getVersion() { return 3.75f; }
signed char setMixer(int) { return 1; }

signed char init(int mixRate, int channelCount, unsigned) {
    if (sys.running) return fail(SoundAlreadyStarted);
    if (mixRate < 4000 || mixRate > 192000 || channelCount < 1 || channelCount > kMaxChannels)
        return fail(SoundInvalidParam);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return fail(SoundNoDevice);
    SDL_AudioSpec wanted{};
    wanted.freq = mixRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = mixCallback;
    resetChannels(sys.channels, channelCount);
    // No "obtained" format asked for: SDL converts to whatever the device really takes.
    if (SDL_OpenAudio(&wanted, nullptr) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return fail(SoundNoDevice);
    }
    sys.mixRate = static_cast<uint32_t>(mixRate);
    sys.running = true;
    sys.error = SoundOk;
    sys.feeder.start(sys.streams, sys.streamsLock);
    SDL_PauseAudio(0);
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
        std::lock_guard<std::mutex> lock(sys.streamsLock);
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
    {
        AudioLock lock;
        if (stream->channel >= 0) return stream->channel;
    }
    // Stopped, so the mixer does not touch it: decode outside the lock.
    restartStream(*stream);
    SoundError error = SoundOk;
    AudioLock lock;
    int used = startStream(sys.channels, channel, stream, error);
    if (used < 0) fail(error);
    return used;
}

signed char streamStop(FSOUND_STREAM* handle) {
    FSOUND_STREAM* stream = live(sys.streams, handle);
    if (!stream) return 0;
    {
        AudioLock lock;
        stopChannel(sys.channels, stream->channel);
    }
    stopFeeding(*stream);
    return 1;
}

int playSound(int channel, FSOUND_SAMPLE* handle) {
    FSOUND_SAMPLE* sample = live(sys.samples, handle);
    if (!sample) return -1;
    SoundError error = SoundOk;
    AudioLock lock;
    int used = startSample(sys.channels, channel, sample, error);
    if (used < 0) fail(error);
    return used;
}

void sampleFree(FSOUND_SAMPLE* handle) {
    FSOUND_SAMPLE* sample = live(sys.samples, handle);
    if (!sample) return;
    {
        AudioLock lock;
        stopSample(sys.channels, sample);
    }
    sys.samples.erase(std::find_if(sys.samples.begin(), sys.samples.end(),
                                   [sample](const auto& item) { return item.get() == sample; }));
}

void close() {
    if (!usable()) return;
    SDL_CloseAudio();
    sys.feeder.stop();
    resetChannels(sys.channels, 0);
    sys.samples.clear();
    sys.streams.clear();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sys.running = false;
}
}  // namespace

MixTiming mixCallbackTiming() { return {worstCallbackNs.load(), callbackCount.load()}; }

void resetMixCallbackTiming() {
    worstCallbackNs = 0;
    callbackCount = 0;
}

SoundApi deviceSoundApi() {
    return {getVersion, setMixer, init, getError, streamOpen, sampleLoad, sampleSetMode,
            streamPlay, streamStop, playSound, sampleFree, close};
}
