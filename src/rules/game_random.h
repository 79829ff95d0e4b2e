#pragma once
#include <cstdint>

// The game's own random generator: for any seed, the very sequence that
// glibc's srand()/rand() give (the additive feedback generator of degree 31),
// so a game replays the same with any compiler, C library or platform.
class GameRandom {
public:
    explicit GameRandom(uint32_t seed = 1) { seed_(seed); }
    void seed(uint32_t seed) { seed_(seed); }
    // 0 .. 2^31 - 1, as rand() gives.
    int next();

private:
    void seed_(uint32_t seed);
    static constexpr int kDegree = 31;
    static constexpr int kSeparation = 3;
    int32_t state_[kDegree] = {};
    int front_ = kSeparation;
    int rear_ = 0;
};
