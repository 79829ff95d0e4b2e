#include "scores_x_display.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdlib>

bool scoresHoldXDisplay() {
    static Display* held = nullptr;
    if (held) return true;
    if (!std::getenv("DISPLAY")) return false;
    for (int attempt = 0; attempt < 40 && !held; ++attempt) {
        held = XOpenDisplay(nullptr);
        if (!held) usleep(50 * 1000);
    }
    return held != nullptr;
}
