#include "render/text_render.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

#include "render/bitmap_font_init.h"
#include "rules/game_state.h"
#include "rules/texture_slots.h"
#include "rules/seams.h"

namespace {
constexpr int kCellPixels = 30;
constexpr int kCellsPerRow = 9;
constexpr float kFontWidth = 270.0f;
constexpr float kFontHeight = 300.0f;
constexpr int kGlyphSize = 27;
constexpr int kFirstGlyph = 32;

GLuint fontTexture() { return gameState.textures ? gameState.textures[kMenuFontSlot] : 0; }

void compileGlyph(GLuint list, int code) {
    int k = code - kFirstGlyph;
    int cx = kCellPixels * (k % kCellsPerRow);
    int cy = kCellPixels * (k / kCellsPerRow);
    float s0 = (cx + 2) / kFontWidth, s1 = (cx + 29) / kFontWidth;
    float t0 = (cy + 2) / kFontHeight, t1 = (cy + 29) / kFontHeight;
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2i(0, 0);
    glTexCoord2f(s0, t1);
    glVertex2i(0, kGlyphSize);
    glTexCoord2f(s1, t1);
    glVertex2i(kGlyphSize, kGlyphSize);
    glTexCoord2f(s1, t0);
    glVertex2i(kGlyphSize, 0);
    glEnd();
    glTranslatef(kCellPixels, 0, 0);
    glEndList();
}

void beginLoadingLine() {
    glLoadIdentity();
    glPushMatrix();
    gluLookAt(0, 1.5, 15, 0, 0.5, 0, 0, 1, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
}

void endLoadingLine() {
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}
}  // namespace

void drawBitmapText(const char* text) {
    // freeglut ends the process on a bitmap call made before it was set up.
    if (!bitmapFontReady()) return;
    for (const char* c = text; *c; ++c) glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, static_cast<signed char>(*c));
}

void drawText(const char* text, int x, int y) { drawTextTinted(text, x, y, 1, 1, 1); }

void drawTextTinted(const char* text, int x, int y, float red, float green, float blue) {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, 640, 480, 0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, fontTexture());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Added light: text brightens what lies under it, never darkens it.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor3f(red, green, blue);
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
    for (const unsigned char* b = reinterpret_cast<const unsigned char*>(text); *b; ++b)
        glCallList(gameState.fontListBase + *b);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

int buildFontLists() {
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, fontTexture());
    gameState.fontListBase = glGenLists(256);
    for (int code = kFirstGlyph; code < 256; ++code) compileGlyph(gameState.fontListBase + code, code);
    // Space only moves the pen.
    glNewList(gameState.fontListBase + ' ', GL_COMPILE);
    glTranslatef(kCellPixels, 0, 0);
    glEndList();
    return 1;
}

void showLoadingScreen(const char* line1, const char* line2) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The lines are drawn as they are: a '%' in a file name is just a '%'.
    beginLoadingLine();
    glRasterPos2f(-0.5f, 0.8f);
    drawBitmapText(line1);
    endLoadingLine();

    beginLoadingLine();
    glRasterPos2f(-0.2f - 0.07f * static_cast<float>(std::strlen(line2)), 0.1f);
    drawBitmapText(line2);
    endLoadingLine();
    swapBuffers();
}
