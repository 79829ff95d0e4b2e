// A page that draws through the GL layer in the browser, built by
// tests/web/gl_layer_page.sh with emcc: a mipmapped picture in a display
// list seen through gluLookAt, bitmap text, and picks in selection mode,
// whose results it writes into the page for the script to read.
#include <SDL/SDL.h>
#include <emscripten.h>

#include "web/gl_freeglut_font.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {
constexpr int kWidth = 640, kHeight = 480;
const char* const kLine = "QUADRUNE 0123456789";

// The set bits of the line's glyphs: the white pixels it must light.
int glyphBits(const char* text) {
    int bits = 0;
    for (const char* c = text; *c; ++c) {
        const GLubyte* face = fgFontHelvetica12.Characters[static_cast<unsigned char>(*c)];
        int bytes = (face[0] + 7) / 8 * fgFontHelvetica12.Height;
        for (int i = 1; i <= bytes; ++i) bits += __builtin_popcount(face[i]);
    }
    return bits;
}

int whitePixels() {
    std::vector<uint8_t> pixels(kWidth * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int white = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) white += pixels[i] == 255 && pixels[i + 1] == 255 && pixels[i + 2] == 255;
    return white;
}

GLuint checkerTexture() {
    std::vector<uint8_t> texels(64 * 64 * 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* t = &texels[(y * 64 + x) * 4];
            bool light = ((x / 8) + (y / 8)) % 2;
            t[0] = light ? 250 : 30, t[1] = light ? 200 : 60, t[2] = light ? 40 : 160, t[3] = 255;
        }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

// One named quad a side of the centre: 1 on the left, 2 on the right.
void drawQuads() {
    for (GLuint name = 1; name <= 2; ++name) {
        glLoadName(name);
        glPushMatrix();
        glTranslatef(name == 1 ? -1.2f : 1.2f, 0, 0);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex3f(-1, -1, 0);
        glTexCoord2f(1, 0); glVertex3f(1, -1, 0);
        glTexCoord2f(1, 1); glVertex3f(1, 1, 0);
        glTexCoord2f(0, 1); glVertex3f(-1, 1, 0);
        glEnd();
        glPopMatrix();
    }
}

void viewFromFront() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 6, 0, 0, 0, 0, 1, 0);
}

unsigned pickAt(int x, int y) {
    GLuint hits[16] = {};
    GLint viewport[4] = {0, 0, kWidth, kHeight};
    glSelectBuffer(16, hits);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, kHeight - y, 2, 2, viewport);
    gluPerspective(45, static_cast<double>(kWidth) / kHeight, 0.1, 100);
    viewFromFront();
    drawQuads();
    GLint count = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return count > 0 ? hits[3] : 0;
}
}  // namespace

int main() {
    SDL_Init(SDL_INIT_VIDEO);
    SDL_SetVideoMode(kWidth, kHeight, 0, SDL_OPENGL);
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, static_cast<double>(kWidth) / kHeight, 0.1, 100);
    GLuint texture = checkerTexture();
    GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    drawQuads();
    glEndList();

    glClearColor(0.1f, 0.1f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    viewFromFront();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor3f(1, 1, 1);
    glCallList(list);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glRasterPos2f(-2.2f, -1.6f);
    for (const char* c = kLine; *c; ++c) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, *c);
    std::string text = std::to_string(whitePixels()) + " of " + std::to_string(glyphBits(kLine));

    std::string picks = std::to_string(pickAt(170, 240)) + " " + std::to_string(pickAt(470, 240)) + " " +
                        std::to_string(pickAt(320, 40)) + " " + std::to_string(pickAt(320, 240));
    EM_ASM({ document.getElementById('picks').textContent = UTF8ToString($0); }, picks.c_str());
    EM_ASM({ document.getElementById('text').textContent = UTF8ToString($0); }, text.c_str());
    return 0;
}
