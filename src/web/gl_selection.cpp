#include "web/gl_selection.h"

#include <algorithm>
#include <vector>

#include "web/gl_clipping.h"
#include "web/gl_layer.h"
#include "web/gl_shadow_state.h"
#include "web/gl_real.h"

namespace {
// GL's least GL_MAX_NAME_STACK_DEPTH.
constexpr size_t kMaxNameDepth = 64;

struct Selection {
    bool active = false;
    GLuint* buffer = nullptr;
    GLsizei size = 0;
    GLsizei count = 0;  // words written, or that would have been
    GLint hits = 0;
    bool hit = false;
    float minZ = 1, maxZ = 0;
    std::vector<GLuint> names;
    GLenum primitive = GL_POINTS;
    std::vector<ClipVertex> vertices;
};

Selection& selection() {
    static Selection s;
    return s;
}

void writeWord(GLuint word) {
    Selection& s = selection();
    if (s.count < s.size) s.buffer[s.count] = word;
    ++s.count;
}

// Depths in [0, 1] as GL scales them to the full unsigned range.
GLuint scaledDepth(float z) {
    float scaled = static_cast<float>(0xffffffffu) * z;
    if (scaled >= 4294967295.0f) return 0xffffffffu;
    return scaled <= 0 ? 0 : static_cast<GLuint>(scaled);
}

// GL writes a hit record when the name stack is about to change and
// something was hit since the last one.
void flushHitRecord() {
    Selection& s = selection();
    if (!s.hit) return;
    writeWord(static_cast<GLuint>(s.names.size()));
    writeWord(scaledDepth(s.minZ));
    writeWord(scaledDepth(s.maxZ));
    for (GLuint name : s.names) writeWord(name);
    ++s.hits;
    s.hit = false;
    s.minZ = 1;
    s.maxZ = -1;
}

struct DepthRange {
    float nearZ, farZ;
};

void noteHit(const ClipPolygon& clipped, DepthRange range) {
    Selection& s = selection();
    for (const ClipVertex& v : clipped) {
        if (v.w == 0) continue;
        float z = range.nearZ + (range.farZ - range.nearZ) * (v.z / v.w * 0.5f + 0.5f);
        s.hit = true;
        s.minZ = std::min(s.minZ, z);
        s.maxZ = std::max(s.maxZ, z);
    }
}

void testPolygon(const std::vector<ClipVertex>& v, std::initializer_list<size_t> corners, DepthRange range) {
    ClipPolygon polygon;
    for (size_t corner : corners) polygon.push_back(v[corner]);
    noteHit(clipPolygon(polygon), range);
}

void testPoint(const ClipVertex& v, DepthRange range) {
    if (insideVolume(v)) noteHit({v}, range);
}

void testLines(const std::vector<ClipVertex>& v, GLenum mode, DepthRange range) {
    size_t n = v.size();
    size_t step = mode == GL_LINES ? 2 : 1;
    for (size_t i = 0; i + 1 < n; i += step) noteHit(clipSegment(v[i], v[i + 1]), range);
    if (mode == GL_LINE_LOOP && n > 2) noteHit(clipSegment(v[n - 1], v[0]), range);
}

void testSurfaces(const std::vector<ClipVertex>& v, GLenum mode, DepthRange range) {
    size_t n = v.size();
    switch (mode) {
        case GL_TRIANGLES:
            for (size_t i = 0; i + 2 < n; i += 3) testPolygon(v, {i, i + 1, i + 2}, range);
            break;
        case GL_TRIANGLE_STRIP:
            for (size_t i = 0; i + 2 < n; ++i) testPolygon(v, {i, i + 1, i + 2}, range);
            break;
        case GL_TRIANGLE_FAN:
            for (size_t i = 1; i + 1 < n; ++i) testPolygon(v, {0, i, i + 1}, range);
            break;
        // Quads and polygons as GL cuts them, into triangles: a polygon that
        // is not flat reaches other depths whole than cut.
        case GL_QUADS:
            for (size_t i = 0; i + 3 < n; i += 4)
                testPolygon(v, {i, i + 1, i + 2}, range), testPolygon(v, {i, i + 2, i + 3}, range);
            break;
        case GL_QUAD_STRIP:
            for (size_t i = 0; i + 3 < n; i += 2)
                testPolygon(v, {i, i + 1, i + 3}, range), testPolygon(v, {i, i + 3, i + 2}, range);
            break;
        case GL_POLYGON:
            for (size_t i = 1; i + 1 < n; ++i) testPolygon(v, {0, i, i + 1}, range);
            break;
        default: break;
    }
}

// Object coordinates to clip coordinates through projection x modelview.
std::vector<ClipVertex> toClipSpace(const std::vector<ClipVertex>& object) {
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    std::vector<ClipVertex> clip;
    for (const ClipVertex& o : object) {
        float in[4] = {o.x, o.y, o.z, o.w}, eye[4], out[4];
        for (int r = 0; r < 4; ++r)
            eye[r] = modelview[r] * in[0] + modelview[4 + r] * in[1] + modelview[8 + r] * in[2] + modelview[12 + r] * in[3];
        for (int r = 0; r < 4; ++r)
            out[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] +
                     projection[12 + r] * eye[3];
        clip.push_back({out[0], out[1], out[2], out[3]});
    }
    return clip;
}
}  // namespace

bool selecting() { return selection().active; }

void selectionBegin(GLenum mode) {
    Selection& s = selection();
    s.primitive = mode;
    s.vertices.clear();
}

void selectionVertex(GLfloat x, GLfloat y, GLfloat z, GLfloat w) { selection().vertices.push_back({x, y, z, w}); }

void selectionEnd() {
    Selection& s = selection();
    DepthRange range{shadowState().depthRange[0], shadowState().depthRange[1]};
    std::vector<ClipVertex> clip = toClipSpace(s.vertices);
    s.vertices.clear();
    if (s.primitive == GL_POINTS) {
        for (const ClipVertex& v : clip) testPoint(v, range);
    } else if (s.primitive == GL_LINES || s.primitive == GL_LINE_STRIP || s.primitive == GL_LINE_LOOP) {
        testLines(clip, s.primitive, range);
    } else {
        testSurfaces(clip, s.primitive, range);
    }
}

void loadSelectionName(GLuint name) {
    Selection& s = selection();
    if (!s.active || s.names.empty()) return;
    flushHitRecord();
    s.names.back() = name;
}

void pushSelectionName(GLuint name) {
    Selection& s = selection();
    if (!s.active) return;
    flushHitRecord();
    if (s.names.size() < kMaxNameDepth) s.names.push_back(name);
}

void popSelectionName() {
    Selection& s = selection();
    if (!s.active || s.names.empty()) return;
    flushHitRecord();
    s.names.pop_back();
}

void quadruneSelectBuffer(GLsizei size, GLuint* buffer) {
    Selection& s = selection();
    if (s.active || size < 0) return;
    s.buffer = buffer;
    s.size = size;
    s.count = 0;
    s.hits = 0;
    s.hit = false;
    s.minZ = 1;
    s.maxZ = 0;
}

void quadruneInitNames() {
    Selection& s = selection();
    if (!s.active) return;
    flushHitRecord();
    s.names.clear();
    s.hit = false;
    s.minZ = 1;
    s.maxZ = 0;
}

// Returns what GL returns on leaving selection mode: the hits, or -1 when
// the buffer overflowed (it then holds the records that fitted).
GLint quadruneRenderMode(GLenum mode) {
    Selection& s = selection();
    GLint result = 0;
    if (s.active) {
        flushHitRecord();
        result = s.count > s.size ? -1 : s.hits;
        s.count = 0;
        s.hits = 0;
        s.names.clear();
    }
    if (mode == GL_SELECT && s.size == 0) return result;  // no buffer yet
    s.active = mode == GL_SELECT;
    return result;
}
