#pragma once
#include <SDL.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rules/game_random.h"
#include "rules/pad_feed.h"
#include "rules/seams.h"
#include "sound/sound_system.h"

// While it lives, seams.platform reads from this script: an event queue,
// a mouse set by hand, a tick counter moved by hand, and random values from
// a list.
struct ScriptedPlatform {
    ScriptedPlatform();
    ~ScriptedPlatform();
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    void push(SDL_EventType type, int symbol = 0);
    // A controller's button, as sdl12-compat reports a mapped pad's.
    void pushButton(bool down, int button);
    void pressButton(int button);  // down, then up
    // Moves the mouse and queues the motion event that makes the menu look.
    void pointAt(int x, int y, bool leftDown = false);

    std::deque<SDL_Event> events;
    int mouseX = 0, mouseY = 0;
    uint8_t mouseButtons = 0;
    uint32_t ticks = 1000;
    bool delayMovesClock = true;
    std::vector<uint32_t> delays;  // every delay asked for, in order
    int swaps = 0;
    std::function<void()> onSwap;
    std::deque<int> randomValues;  // used first; then fallbackRandom
    std::function<int()> fallbackRandom = [] { return 0; };
    int randomCalls = 0;
    // A fixed sequence of the shape rand() gives, for games that must play
    // the same every run.
    void useSeededRandom(uint32_t seed);
    // The game's own generator, seeded as the game seeds it.
    void useGameRandom();
    std::unique_ptr<GameRandom> ownGenerator;
    uint32_t seconds = 1765115000;  // the wall clock: a game's seed
    int controllerLooks = 0;
    // A controller read as state: its presses follow the queued events, as
    // the real platform's do.
    bool padOpen = false;
    PadReading pad;
    int padReadings = 0;
    PadFeed padFeed;
    std::vector<bool> fullScreenAsked;
    bool fullScreenTakes = true;

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
