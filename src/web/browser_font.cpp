// GLUT's bitmap fonts need no display connection in the browser: the GL
// layer draws them.
#include <GL/glut.h>

#include "render/bitmap_font_init.h"

namespace {
bool glutReady = false;
}  // namespace

void initBitmapFont(int* argc, char** argv) {
    if (glutReady) return;
    glutInit(argc, argv);
    glutReady = true;
}

bool bitmapFontReady() { return glutReady; }
