// The game's mixer played through SDL's audio device. The game calls the
// operations on its one thread; SDL mixes on its audio thread, so whatever
// the mixer reads changes only under the audio lock, held briefly. A third
// thread decodes the music ahead into each stream's ring.
#include <SDL.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "sound/sound_library.h"
#include "sound/sound_system.h"

namespace {
// A turn of the decoding thread tops each ring up by a few thousand frames;
// at this pace it keeps well ahead of the mixer.
constexpr auto kFeedPause = std::chrono::milliseconds(10);

// Decodes every playing stream ahead, turn after turn, until stopped.
class StreamFeeder {
public:
    // A process that ends without FSOUND_Close must not leave it running.
    ~StreamFeeder() { stop(); }
    void start() {
        quit_ = false;
        thread_ = std::thread([this] { run(); });
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
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            lock.unlock();
            decodeStreamsAhead();
            lock.lock();
            wake_.wait_for(lock, kFeedPause, [this] { return quit_; });
        }
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
};

StreamFeeder feeder;

std::atomic<uint64_t> worstCallbackNs{0};
std::atomic<uint64_t> callbackCount{0};

void mixCallback(void*, Uint8* stream, int length) {
    auto start = std::chrono::steady_clock::now();
    mixSound(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / 4);
    auto spent = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start);
    uint64_t ns = static_cast<uint64_t>(spent.count());
    if (ns > worstCallbackNs.load(std::memory_order_relaxed)) worstCallbackNs.store(ns, std::memory_order_relaxed);
    callbackCount.fetch_add(1, std::memory_order_relaxed);
}

bool openDevice(uint32_t mixRate) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(mixRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = mixCallback;
    // No "obtained" format asked for: SDL converts to whatever the device really takes.
    if (SDL_OpenAudio(&wanted, nullptr) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    feeder.start();
    SDL_PauseAudio(0);
    return true;
}

void closeDevice() {
    SDL_CloseAudio();
    feeder.stop();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const SoundOutput device = {openDevice, closeDevice, SDL_LockAudio, SDL_UnlockAudio};
}  // namespace

MixTiming mixCallbackTiming() { return {worstCallbackNs.load(), callbackCount.load()}; }

void resetMixCallbackTiming() {
    worstCallbackNs = 0;
    callbackCount = 0;
}

SoundApi deviceSoundApi() { return soundApiOver(device); }
