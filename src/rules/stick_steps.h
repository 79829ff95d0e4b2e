#pragma once

// The left stick as a second d-pad: a push past half way presses that
// direction's button, and the stick lets go only once back near the middle,
// so a stick held near the threshold does not chatter into many presses.
struct PadChange {
    int button;
    bool down;
};

class StickSteps {
public:
    // The button changes that one axis reading makes (at most two: a swing
    // from one side to the other lets go of one direction and presses the
    // other); returns how many went into `out`.
    int follow(int axis, int value, PadChange out[2]);

private:
    int direction_[2] = {0, 0};  // per axis: -1, 0 or +1
};
