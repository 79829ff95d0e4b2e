#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/highscore_records.h"
#include "rules/seams.h"

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
    // What a game takes over from before it began: the cursor keeps its
    // place, and keys may still be held.
    int32_t startColumn = 0, startRow = 0;
    std::vector<int> heldKeys;
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
// Reads and decodes a file; one larger than kReplayMaxBytes is refused
// before anything is read.
bool loadReplayFile(const char* path, Replay& replay, std::string& why);
// Only the header's mode and row, for sorting kept files; false when it is none.
bool loadReplayHeader(const char* path, Replay& replay);
// Writes through a temporary file renamed over the name.
bool saveReplayFile(const char* path, const Replay& replay);
