// Stand-in until text drawing lands.
#include "render/text_render.h"

#include <GL/gl.h>

#include "app/platform.h"

void drawBitmapText(const char*) {}
void drawText(const char*, int, int) {}
int buildFontLists() { return 1; }

void showLoadingScreen(const char*, const char*) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    swapBuffers();
}
