#include "app/bitmap_font_init.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

namespace {
bool glutReady = false;

bool displayAvailable() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}
}  // namespace

void initBitmapFont(int* argc, char** argv) {
    if (glutReady || !displayAvailable()) return;
    glutInit(argc, argv);
    glutReady = true;
}

bool bitmapFontReady() { return glutReady; }
