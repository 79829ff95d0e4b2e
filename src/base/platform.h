#pragma once
#include <SDL.h>
#include <cstdint>

// The game reaches SDL's event queue, mouse, clock, buffer swap and the
// random generator only through these hooks, so tests can script them.
struct PlatformHooks {
    int (*pollEvent)(SDL_Event* event);
    uint8_t (*getMouseState)(int* x, int* y);
    uint32_t (*getTicks)();
    void (*delay)(uint32_t ms);
    void (*swapBuffers)();
    int (*random)();
    void (*seedRandom)(unsigned seed);
};

extern PlatformHooks platform;
PlatformHooks defaultPlatformHooks();

inline int pollEvent(SDL_Event* event) { return platform.pollEvent(event); }
inline uint8_t getMouseState(int* x, int* y) { return platform.getMouseState(x, y); }
inline uint32_t getTicks() { return platform.getTicks(); }
inline void delayMs(uint32_t ms) { platform.delay(ms); }
inline void swapBuffers() { platform.swapBuffers(); }
inline int gameRand() { return platform.random(); }
inline void seedRand(unsigned seed) { platform.seedRandom(seed); }
