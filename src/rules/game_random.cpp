#include "rules/game_random.h"

void GameRandom::seed_(uint32_t seed) {
    // As glibc: the seed is read as a signed word, 0 becomes 1, and the state
    // is filled by a Lehmer generator in Schrage's form, negative words included.
    int32_t word = static_cast<int32_t>(seed == 0 ? 1 : seed);
    state_[0] = word;
    for (int i = 1; i < kDegree; ++i) {
        int64_t hi = word / 127773, lo = word % 127773;
        int64_t next = 16807 * lo - 2836 * hi;
        if (next < 0) next += 2147483647;
        state_[i] = word = static_cast<int32_t>(next);
    }
    front_ = kSeparation;
    rear_ = 0;
    for (int i = 0; i < 10 * kDegree; ++i) next();
}

int GameRandom::next() {
    uint32_t sum = static_cast<uint32_t>(state_[front_]) + static_cast<uint32_t>(state_[rear_]);
    state_[front_] = static_cast<int32_t>(sum);
    front_ = (front_ + 1) % kDegree;
    rear_ = (rear_ + 1) % kDegree;
    return static_cast<int>(sum >> 1);
}
