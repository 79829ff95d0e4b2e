#include "render/bitmap_font_init.h"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

namespace {
bool glutReady = false;
}  // namespace

void initBitmapFont(int* argc, char** argv) {
    if (glutReady) return;
    // Our probe stays connected until GLUT has its own connection: closing it
    // first can make an otherwise idle X server reset under GLUT's feet.
    Display* probe = XOpenDisplay(nullptr);
    if (!probe) return;
    glutInit(argc, argv);
    glutReady = true;
    XCloseDisplay(probe);
}

bool bitmapFontReady() { return glutReady; }
