#include "gl_fixture.h"

#include <GL/gl.h>
#include <SDL.h>


#include "rules/game_state.h"
#include "render/bitmap_font_init.h"
#include "test_support.h"

namespace {
bool openContext() {
    static bool opened = false;
    if (opened) return true;
    if (!startOwnXServer()) return false;
    static int argc = 1;
    static char name[] = "quadrune-test";
    static char* argv[] = {name, nullptr};
    initBitmapFont(&argc, argv);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || !SDL_SetVideoMode(640, 480, 0, SDL_OPENGL)) return false;
    initSceneVariables(gameState);
    return opened = true;
}
}  // namespace

void GlFixture::SetUp() { ASSERT_TRUE(openContext()) << "no GL window on a virtual display: " << SDL_GetError(); }
