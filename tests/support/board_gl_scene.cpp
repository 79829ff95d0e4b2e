#include "board_gl_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>

#include "base/game_state.h"
#include "gl_context.h"
#include "render/scene.h"
#include "render_x_keepalive.h"

namespace {
const Colour kSlotColours[12] = {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                 {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {0, 0, 0},
                                 {255, 255, 255}, {255, 128, 0}, {128, 255, 0}, {0, 128, 255}};

GLuint solidTexture(const uint8_t* rgb, int height) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return name;
}

}  // namespace

Colour boardSlotColour(int slot) { return kSlotColours[slot]; }

bool openBoardGlScene() {
    static bool ready = false;
    if (ready) return true;
    keepXServerFromResetting();
    if (!openTestGlContext()) return false;
    gameState.boardColumns = 6;
    gameState.boardRows = 9;
    gameState.displayListBase = glGenLists(5);
    buildDisplayLists();
    for (int slot = 1; slot <= 11; ++slot) {
        const Colour& c = kSlotColours[slot];
        uint8_t one[3] = {c.r, c.g, c.b};
        uint8_t backdrop[6] = {255, 0, 0, 0, 0, 255};  // first row is the top of the picture
        gameState.textures[slot] = slot == 7 ? solidTexture(backdrop, 2) : solidTexture(one, 1);
    }
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 640.0 / 480.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    ready = true;
    return true;
}

void beginBoardFrame() {
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0.0f, -1.2f, -3.1f);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor3f(1, 1, 1);
}

PixelBox boxOfColour(Colour colour, int tolerance) {
    glFinish();
    std::vector<uint8_t> pixels = readPixelsRgb(0, 0, 640, 480);
    PixelBox box;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const uint8_t* p = &pixels[(static_cast<size_t>(y) * 640 + x) * 3];
            if (std::abs(p[0] - colour.r) > tolerance || std::abs(p[1] - colour.g) > tolerance ||
                std::abs(p[2] - colour.b) > tolerance)
                continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.bottom = std::min(box.bottom, y);
            box.top = std::max(box.top, y);
        }
    return box;
}

PixelBox projectedBox(const std::vector<float>& xyz) {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    PixelBox box;
    for (size_t i = 0; i + 2 < xyz.size(); i += 3) {
        GLdouble wx, wy, wz;
        gluProject(xyz[i], xyz[i + 1], xyz[i + 2], model, projection, viewport, &wx, &wy, &wz);
        box.left = std::min(box.left, static_cast<int>(wx));
        box.right = std::max(box.right, static_cast<int>(wx));
        box.bottom = std::min(box.bottom, static_cast<int>(wy));
        box.top = std::max(box.top, static_cast<int>(wy));
    }
    return box;
}

std::vector<float> cubeCorners(float x, float y, float z) {
    std::vector<float> out;
    for (float dx : {-0.1f, 0.1f})
        for (float dy : {-0.1f, 0.1f})
            for (float dz : {-0.1f, 0.1f}) out.insert(out.end(), {x + dx, y + dy, z + dz});
    return out;
}

Colour pixelAt(int x, int yUp) {
    glFinish();
    std::vector<uint8_t> p = readPixelsRgb(x, yUp, 1, 1);
    return {p[0], p[1], p[2]};
}
