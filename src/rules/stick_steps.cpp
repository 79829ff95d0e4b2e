#include "rules/stick_steps.h"

#include "rules/pad_buttons.h"

namespace {
constexpr int kPushedAt = 16384;    // half way out
constexpr int kCentredBelow = 8192;  // a quarter

int buttonFor(int axis, int direction) {
    if (axis == kStickAxisX) return direction < 0 ? kPadLeft : kPadRight;
    return direction < 0 ? kPadUp : kPadDown;
}

int directionOf(int value, int held) {
    if (value >= kPushedAt) return 1;
    if (value <= -kPushedAt) return -1;
    if (value > -kCentredBelow && value < kCentredBelow) return 0;
    return held == 0 || (held > 0) == (value > 0) ? held : 0;
}
}  // namespace

int StickSteps::follow(int axis, int value, PadChange out[2]) {
    if (axis != kStickAxisX && axis != kStickAxisY) return 0;
    int& held = direction_[axis];
    int next = directionOf(value, held);
    if (next == held) return 0;
    int count = 0;
    if (held != 0) out[count++] = {buttonFor(axis, held), false};
    if (next != 0) out[count++] = {buttonFor(axis, next), true};
    held = next;
    return count;
}
