#pragma once
#include <SDL.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "base/platform.h"

// Installs scripted platform hooks for the lifetime of the object: a queue
// of events, a mouse state, a tick counter that tests move by hand, and a
// random generator fed from a list (or counting calls to a fallback).
class ScriptedPlatform {
public:
    ScriptedPlatform();
    ~ScriptedPlatform();
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    void pushKeyDown(int symbol);
    void pushKeyUp(int symbol);
    void pushQuit();
    void pushMotion();
    void pushEvent(const SDL_Event& event);
    size_t pendingEvents() const { return events.size(); }

    std::deque<SDL_Event> events;
    int mouseX = 0;
    int mouseY = 0;
    uint8_t mouseButtons = 0;  // SDL_BUTTON(1) for the left button
    uint32_t ticks = 1000;
    uint32_t ticksPerRead = 0;  // added after every read, to model time passing
    std::vector<uint32_t> delays;
    int swaps = 0;
    std::deque<int> randomValues;  // consumed first; then fallbackRandom
    int randomCalls = 0;
    std::vector<unsigned> seeds;
    std::function<int()> fallbackRandom = [] { return 0; };
    std::function<void()> onSwap;  // called after each counted swap
    bool realSwap = false;          // also swap the real GL buffers

    static ScriptedPlatform* current;

private:
    PlatformHooks saved_;
};
