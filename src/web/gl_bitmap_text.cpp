// glRasterPos, glBitmap and glutBitmapCharacter: each set bit of a glyph
// becomes a window pixel, drawn as pixel-aligned quads in window
// coordinates, so they cover exactly the pixels GL's glBitmap would.
#include <cmath>

#include "web/gl_bitmap_fonts.h"
#include "web/gl_clipping.h"
#include "web/gl_layer.h"
#include "web/gl_selection.h"
#include "web/gl_shadow_state.h"
#include "web/gl_real.h"

namespace {
struct RasterPosition {
    bool valid = true;
    float x = 0, y = 0, z = 0;
    float color[4] = {1, 1, 1, 1};
};

RasterPosition& raster() {
    static RasterPosition position;
    return position;
}

// Projection x modelview, summed in the order GL sums it.
void combinedMatrix(GLfloat out[16]) {
    GLfloat m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            out[c * 4 + r] = p[r] * m[c * 4] + p[4 + r] * m[c * 4 + 1] + p[8 + r] * m[c * 4 + 2] + p[12 + r] * m[c * 4 + 3];
}

ClipVertex transformed(GLfloat x, GLfloat y, GLfloat z) {
    GLfloat mvp[16];
    combinedMatrix(mvp);
    float v[4];
    for (int r = 0; r < 4; ++r) v[r] = mvp[r] * x + mvp[4 + r] * y + mvp[8 + r] * z + mvp[12 + r];
    return {v[0], v[1], v[2], v[3]};
}

struct Window {
    GLint viewport[4];
    GLfloat depthRange[2];
};

Window currentWindow() {
    ShadowState& state = shadowState();
    const GLint* viewport = state.viewport();
    return {{viewport[0], viewport[1], viewport[2], viewport[3]}, {state.depthRange[0], state.depthRange[1]}};
}

// The eye-space depth that an orthographic projection over [-1, 1] turns
// into the raster position's window depth.
float eyeDepthFor(float windowZ, const Window& w) {
    float span = w.depthRange[1] - w.depthRange[0];
    float ndc = span == 0 ? 0 : 2 * (windowZ - w.depthRange[0]) / span - 1;
    return -ndc;
}

void beginWindowCoordinates(const Window& w, GLint* matrixMode) {
    glGetIntegerv(GL_MATRIX_MODE, matrixMode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(w.viewport[0], w.viewport[0] + w.viewport[2], w.viewport[1], w.viewport[1] + w.viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endWindowCoordinates(GLint matrixMode) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrixMode));
}

bool bitSet(const GLubyte* row, int x) { return (row[x / 8] >> (7 - x % 8)) & 1; }

// One quad for each run of set bits in a row.
void drawRow(const GLubyte* row, int width, float left, float bottom, float z) {
    for (int x = 0; x < width;) {
        if (!bitSet(row, x)) {
            ++x;
            continue;
        }
        int end = x;
        while (end < width && bitSet(row, end)) ++end;
        glVertex3f(left + x, bottom, z);
        glVertex3f(left + end, bottom, z);
        glVertex3f(left + end, bottom + 1, z);
        glVertex3f(left + x, bottom + 1, z);
        x = end;
    }
}

void drawBits(GLsizei width, GLsizei height, int left, int bottom, const GLubyte* bits) {
    const RasterPosition& r = raster();
    Window w = currentWindow();
    GLint matrixMode = GL_MODELVIEW;
    beginWindowCoordinates(w, &matrixMode);
    // Bitmaps take the colour latched with the raster position, untextured.
    bool textured = shadowState().isEnabled(GL_TEXTURE_2D);
    if (textured) glDisable(GL_TEXTURE_2D);
    glColor4f(r.color[0], r.color[1], r.color[2], r.color[3]);
    float z = eyeDepthFor(r.z, w);
    int stride = (width + 7) / 8;
    glBegin(GL_QUADS);
    for (int y = 0; y < height; ++y) drawRow(bits + y * stride, width, static_cast<float>(left), static_cast<float>(bottom + y), z);
    glEnd();
    const GLfloat* current = shadowState().color;
    glColor4f(current[0], current[1], current[2], current[3]);
    if (textured) glEnable(GL_TEXTURE_2D);
    endWindowCoordinates(matrixMode);
}
}  // namespace

void quadruneRasterPos2f(GLfloat x, GLfloat y) { quadruneRasterPos3f(x, y, 0); }

void quadruneRasterPos3f(GLfloat x, GLfloat y, GLfloat z) {
    RasterPosition& r = raster();
    ClipVertex clip = transformed(x, y, z);
    r.valid = insideVolume(clip);
    if (!r.valid) return;
    Window w = currentWindow();
    float inverseW = 1.0f / clip.w;
    float halfWidth = w.viewport[2] / 2.0f, halfHeight = w.viewport[3] / 2.0f;
    float halfDepth = (w.depthRange[1] - w.depthRange[0]) / 2.0f;
    r.x = clip.x * inverseW * halfWidth + (w.viewport[0] + halfWidth);
    r.y = clip.y * inverseW * halfHeight + (w.viewport[1] + halfHeight);
    r.z = clip.z * inverseW * halfDepth + (w.depthRange[0] + halfDepth);
    for (int i = 0; i < 4; ++i) r.color[i] = shadowState().color[i];
}

void quadruneBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
                    const GLubyte* bitmap) {
    RasterPosition& r = raster();
    if (!r.valid) return;
    // Selection mode draws nothing.
    if (width > 0 && height > 0 && bitmap && !selecting()) {
        // GL's nudge, so a position a rounding error short of a pixel lands on it.
        const float epsilon = 0.0001f;
        int left = static_cast<int>(std::floor(r.x + epsilon - xorig));
        int bottom = static_cast<int>(std::floor(r.y + epsilon - yorig));
        drawBits(width, height, left, bottom, bitmap);
    }
    r.x += xmove;
    r.y += ymove;
}

void quadruneBitmapCharacter(void* font, int character) {
    const SFG_Font* f = bitmapFont(font);
    if (!f || character < 1 || character >= 256) return;
    const GLubyte* face = f->Characters[character];
    quadruneBitmap(face[0], f->Height, f->xorig, f->yorig, static_cast<float>(face[0]), 0, face + 1);
}
