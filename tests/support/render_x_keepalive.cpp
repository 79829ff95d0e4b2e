#include "render_x_keepalive.h"

#include <X11/Xlib.h>

#include <cstdlib>

void keepXServerFromResetting() {
    static Display* held = nullptr;
    if (held || !std::getenv("DISPLAY")) return;
    held = XOpenDisplay(nullptr);
}
