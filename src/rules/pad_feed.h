#pragma once
#include <cstdint>

#include "rules/pad_buttons.h"
#include "rules/stick_steps.h"

// The controllers read as they are, once each drain of the event queue, and
// their changes handed out as presses and releases: under sdl12-compat over
// SDL 2 a controller's state can be read while its events never come.
class PadFeed {
public:
    static constexpr int kMostChanges = 32 + 2 * 2;  // every button, and both stick axes swinging across

    // The next change, or false when the drain has no more. The first call
    // of a drain takes a fresh look through the seam table.
    bool next(PadChange& change);
    // The changes from the last look to `now`; how many went into out.
    int follow(const PadReading& now, PadChange out[kMostChanges]);

private:
    uint32_t held_ = 0;
    StickSteps stick_;
    PadChange pending_[kMostChanges];
    int count_ = 0, at_ = 0;
    bool looked_ = false;
};
