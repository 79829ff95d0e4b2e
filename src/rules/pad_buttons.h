#pragma once
#include <cstdint>

// A controller's buttons as the game reads them: sdl12-compat presents a
// mapped game controller as a joystick with SDL 2's button layout, so South
// is always where an Xbox pad has A, whatever the make.
enum PadButton : int {
    kPadSouth = 0,
    kPadEast = 1,
    kPadWest = 2,
    kPadNorth = 3,
    kPadBack = 4,
    kPadGuide = 5,
    kPadStart = 6,
    kPadUp = 11,
    kPadDown = 12,
    kPadLeft = 13,
    kPadRight = 14,
};
// The left stick's axes in the same layout; y grows downwards.
constexpr int kStickAxisX = 0, kStickAxisY = 1;

// One look at the controllers as they are: bit n of buttons is PadButton n,
// and the left stick's lean in SDL's units (-32768 to 32767).
struct PadReading {
    uint32_t buttons = 0;
    int stickX = 0, stickY = 0;
};
