#pragma once
#include "rules/seams.h"

struct GameState;

// The game's keys by SDL 1.2 key symbol.
constexpr int kKeySpace = 32, kKeyM = 109, kKeyP = 112;
constexpr int kKeyUp = 273, kKeyDown = 274, kKeyRight = 275, kKeyLeft = 276;

// What the keys asked for beyond the rules: the caller plays the music and
// shows the results, so the rules stay free of sound and screens.
struct KeyRequests {
    bool toggleMusic = false;
    bool leave = false;
};

// One event as the game screen takes it into the key table.
void applyGameEvent(GameState& state, const InputEvent& event);
// The keys held this frame, each press acting once: pause, the cursor, the
// swap; music and leaving are handed back.
KeyRequests readGameKeys(GameState& state);
