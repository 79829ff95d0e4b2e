#include "render/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>

#include "rules/game_state.h"
#include "rules/texture_slots.h"
#include "render/png_loader.h"
#include "render/text_render.h"

const char* const kTextureFiles[kTextureFileCount] = {
    "data/pics/palikka1.png",     "data/pics/palikka2.png",     "data/pics/palikka3.png",
    "data/pics/palikka4.png",     "data/pics/palikka5.png",     "data/pics/palikka6.png",
    "data/pics/game.png",         "data/pics/glow1.png",        "data/pics/glow2.png",
    "data/pics/glow3.png",        "data/pics/glow4.png",        "data/pics/menu_background.png",
    "data/pics/menu_exit.png",    "data/pics/menu_exit_mask.png", "data/pics/menu_logo.png",
    "data/pics/menu_logo_mask.png", "data/pics/menu_options.png", "data/pics/menu_options_mask.png",
    "data/pics/menu_play.png",    "data/pics/menu_play_mask.png", "data/pics/menufont.png",
};

static_assert(kLastPictureSlot - kFirstBlockSlot + 1 == kTextureFileCount, "one file a slot");
static_assert(kLastPictureSlot < kTextureTableSize);

namespace {
const char* const kLoading = "Loading..";
constexpr float kHalf = 0.1f;
constexpr float kFrame = 0.11f;
constexpr float kFrameRight = 0.31f;

struct CubeVertex {
    float s, t, x, y, z;
};

// Six faces: front, back, top, bottom, right, left. On the front face
// t = 0 is the top edge, so pictures stand upright.
const CubeVertex kCube[24] = {
    {0, 0, -kHalf, kHalf, kHalf},   {1, 0, kHalf, kHalf, kHalf},    {1, 1, kHalf, -kHalf, kHalf},   {0, 1, -kHalf, -kHalf, kHalf},
    {0, 0, -kHalf, -kHalf, -kHalf}, {0, 1, kHalf, -kHalf, -kHalf},  {1, 1, kHalf, kHalf, -kHalf},   {1, 0, -kHalf, kHalf, -kHalf},
    {0, 1, -kHalf, kHalf, -kHalf},  {0, 0, kHalf, kHalf, -kHalf},   {1, 0, kHalf, kHalf, kHalf},    {1, 1, -kHalf, kHalf, kHalf},
    {1, 1, -kHalf, -kHalf, -kHalf}, {0, 1, kHalf, -kHalf, -kHalf},  {0, 0, kHalf, -kHalf, kHalf},   {1, 0, -kHalf, -kHalf, kHalf},
    {1, 0, kHalf, -kHalf, -kHalf},  {1, 1, kHalf, -kHalf, kHalf},   {0, 1, kHalf, kHalf, kHalf},    {0, 0, kHalf, kHalf, -kHalf},
    {0, 0, -kHalf, -kHalf, -kHalf}, {1, 0, -kHalf, -kHalf, kHalf},  {1, 1, -kHalf, kHalf, kHalf},   {0, 1, -kHalf, kHalf, -kHalf},
};

void compileCube(GLuint list) {
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    for (const CubeVertex& v : kCube) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
    glEndList();
}

void frameLine(float x0, float y0, float x1, float y1) {
    glBegin(GL_LINES);
    glVertex3f(x0, y0, kFrame);
    glVertex3f(x1, y1, kFrame);
    glEnd();
}

// Encloses the cell at the origin and its right-hand neighbour.
void compileCursorFrame(GLuint list) {
    glNewList(list, GL_COMPILE);
    frameLine(-kFrame, -kFrame, kFrameRight, -kFrame);
    frameLine(kFrameRight, -kFrame, kFrameRight, kFrame);
    frameLine(kFrameRight, kFrame, -kFrame, kFrame);
    frameLine(-kFrame, kFrame, -kFrame, -kFrame);
    glEndList();
}

void compileFlash(GLuint list) {
    glNewList(list, GL_COMPILE);
    glTranslatef(0, 1, 2);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glVertex3f(1, 1, 0);
    glVertex3f(-1, 1, 0);
    glEnd();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEndList();
}

void loadTextureSet(GameState& state) {
    for (int slot = kFirstBlockSlot; slot <= kLastPictureSlot; ++slot) {
        const char* file = kTextureFiles[slot - kFirstBlockSlot];
        std::string line = std::string("Texture ") + file + "..";
        showLoadingScreen(kLoading, line.c_str());
        loadTexture(state.pngImage, state.textures, file, slot);
    }
}
}  // namespace

void resizeScene(GameState& state, int32_t width, int32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    state.windowWidth = width;
    state.windowHeight = height;
}

void loadScene(GameState& state, int32_t width, int32_t height) {
    std::printf("\nLoading..\n");
    std::printf("\tTextures...");
    loadTextureSet(state);
    std::printf("..done\n");

    showLoadingScreen(kLoading, "Display lists..");
    std::printf("Generating display lists..");
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, state.textures[kFirstBlockSlot]);
    state.displayListBase = glGenLists(5);
    buildDisplayLists();
    showLoadingScreen(kLoading, "Display lists..done.");
    std::printf("...done\n");

    resizeScene(state, width, height);
    // The last loading screen turned texturing off; the scene draws textured.
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
}

void buildDisplayLists() {
    compileCube(gameState.displayListBase);
    compileCursorFrame(gameState.displayListBase + 1);
    compileFlash(gameState.displayListBase + 2);
}
