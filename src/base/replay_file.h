#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/highscore_records.h"
#include "base/platform.h"

// A game as it was played: the seed, and for each frame the events the game
// read and every reading of the tick counter it made, the first as the main
// loop's pass began. Kept as flat columns, so a long game costs a few
// allocations, not a few a frame. The byte layout is in the README.
struct ReplayFrames {
    std::vector<uint8_t> tickCounts;   // one a frame
    std::vector<uint32_t> ticks;       // every frame's readings, in order
    std::vector<uint16_t> eventCounts;  // one a frame
    std::vector<InputEvent> events;    // every frame's events, in order
    size_t size() const { return tickCounts.size(); }
};

struct Replay {
    uint16_t rulesVersion = 0;
    int32_t mode = 0;
    uint32_t seed = 0;
    HighscoreEntry row{};  // the result the game sent when it ended
    ReplayFrames frames;
};

constexpr uint16_t kReplayFormatVersion = 1;
constexpr uint16_t kRulesVersion = 1;
constexpr size_t kReplayMaxBytes = 1 << 20;
constexpr size_t kReplayMaxFrames = 6 * 60 * 60 * 20;  // six hours at 20 frames a second
constexpr size_t kReplayMaxTicksPerFrame = 8;
constexpr size_t kReplayMaxEventsPerFrame = 256;

std::vector<uint8_t> encodeReplay(const Replay& replay);
// False with a one-line reason for anything that is not a whole replay of
// a known version. Time and memory stay bounded whatever the bytes.
bool decodeReplay(const uint8_t* data, size_t size, Replay& replay, std::string& why);
