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

// One event as the screens see it. The key symbol is read as a plain
// number, never trusted to be one of SDLKey's values.
struct InputEvent {
    enum Kind { KeyDown, KeyUp, Quit, Other } kind = Other;
    int symbol = 0;  // for KeyDown and KeyUp
};
// The next queued event, or false when the queue is empty. Every screen
// reads its events here.
bool readEvent(InputEvent& event);
PlatformHooks defaultPlatformHooks();

inline int pollEvent(SDL_Event* event) { return platform.pollEvent(event); }
inline uint8_t getMouseState(int* x, int* y) { return platform.getMouseState(x, y); }
inline uint32_t getTicks() { return platform.getTicks(); }
inline void delayMs(uint32_t ms) { platform.delay(ms); }
inline void swapBuffers() { platform.swapBuffers(); }
inline int gameRand() { return platform.random(); }
inline void seedRand(unsigned seed) { platform.seedRandom(seed); }
