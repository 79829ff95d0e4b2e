#pragma once
#include <SDL.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "sound/sound_system.h"

// While it lives, seams.platform reads from this script: an event queue,
// no mouse, a tick counter moved by hand, and random values from a list.
struct ScriptedPlatform {
    ScriptedPlatform();
    ~ScriptedPlatform();
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    void push(SDL_EventType type, int symbol = 0);

    std::deque<SDL_Event> events;
    uint32_t ticks = 1000;
    bool delayMovesClock = true;
    int swaps = 0;
    std::function<void()> onSwap;
    std::deque<int> randomValues;  // used first; then fallbackRandom
    std::function<int()> fallbackRandom = [] { return 0; };
    int randomCalls = 0;

    static ScriptedPlatform* current;

private:
    SeamOverride override_;
};

// While it lives, what the sound layer is asked to play is only recorded;
// its other operations stay real.
struct RecordingSound {
    RecordingSound();
    ~RecordingSound();
    RecordingSound(const RecordingSound&) = delete;
    RecordingSound& operator=(const RecordingSound&) = delete;

    std::vector<std::string> calls;  // "play", "stream play", "stream stop"
    static RecordingSound* current;

private:
    SeamOverride override_;
};
