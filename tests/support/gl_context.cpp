#include "gl_context.h"

#include <SDL.h>
#include <GL/gl.h>

#include <cstdlib>

#include "render/bitmap_font_init.h"
#include "base/game_state.h"

bool openTestGlContext() {
    static bool opened = false;
    if (opened) return true;
    if (!std::getenv("DISPLAY")) return false;
    static int argc = 1;
    static char name[] = "quadrune-test";
    static char* argv[] = {name, nullptr};
    initBitmapFont(&argc, argv);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    if (!SDL_SetVideoMode(640, 480, 0, SDL_OPENGL)) return false;
    if (!gameState.textures) initSceneVariables(gameState);
    opened = true;
    return true;
}

std::vector<uint8_t> readPixelsRgb(int x, int y, int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgb pixelAtTop(int x, int yFromTop) {
    auto p = readPixelsRgb(x, 479 - yFromTop, 1, 1);
    return {p[0], p[1], p[2]};
}
