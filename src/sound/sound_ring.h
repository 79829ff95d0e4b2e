#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// Stereo frames handed from one producing thread to one consuming thread
// without a lock: each side moves only its own counter and reads the other's.
class FrameRing {
public:
    // Neither side may be running while the ring is resized or emptied.
    void reset(size_t capacityFrames);
    void clear();

    // Producer: where up to `frames` frames can be written in one piece
    // (fewer near the end of the storage), then how many were.
    int16_t* writeSpan(size_t& frames);
    void commit(size_t frames);

    // Consumer: copies out up to `frames` frames, returns how many.
    size_t read(int16_t* out, size_t frames);

    size_t capacity() const { return capacity_; }

private:
    std::vector<int16_t> samples_;
    size_t capacity_ = 0;
    std::atomic<size_t> written_{0};  // frames ever written
    std::atomic<size_t> taken_{0};    // frames ever read
};
