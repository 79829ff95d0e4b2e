#include "sound/sound_ring.h"

#include <algorithm>
#include <cstring>

void FrameRing::reset(size_t capacityFrames) {
    samples_.assign(capacityFrames * 2, 0);
    capacity_ = capacityFrames;
    clear();
}

void FrameRing::clear() {
    written_.store(0, std::memory_order_relaxed);
    taken_.store(0, std::memory_order_relaxed);
}

int16_t* FrameRing::writeSpan(size_t& frames) {
    size_t written = written_.load(std::memory_order_relaxed);
    size_t room = capacity_ - (written - taken_.load(std::memory_order_acquire));
    if (capacity_ == 0) {
        frames = 0;
        return nullptr;
    }
    size_t at = written % capacity_;
    frames = std::min({frames, room, capacity_ - at});
    return samples_.data() + 2 * at;
}

void FrameRing::commit(size_t frames) { written_.store(written_.load(std::memory_order_relaxed) + frames, std::memory_order_release); }

size_t FrameRing::read(int16_t* out, size_t frames) {
    size_t taken = taken_.load(std::memory_order_relaxed);
    size_t count = std::min(frames, written_.load(std::memory_order_acquire) - taken);
    for (size_t done = 0; done < count;) {
        size_t at = (taken + done) % capacity_;
        size_t piece = std::min(count - done, capacity_ - at);
        std::memcpy(out + 2 * done, samples_.data() + 2 * at, piece * 2 * sizeof(int16_t));
        done += piece;
    }
    taken_.store(taken + count, std::memory_order_release);
    return count;
}
