#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "layer_worlds.h"
#include "menu/menu_drawing.h"
#include "render/scene.h"
#include "rules/game_state.h"
#include "through_layer.h"
#include "web/gl_layer.h"

// Picking and the matrices: the layer's selection mode against Mesa's.
namespace {
TEST_F(GlLayer, MenuPickingPicksWhatSelectionModePicksAtEveryFourthPixel) {
    std::map<unsigned, int> picked;
    int differ = 0;
    for (int y = 0; y < 480; y += 4)
        for (int x = 0; x < 640; x += 4) {
            gameState.mouseX = x;
            gameState.mouseY = y;
            unsigned native = pickMenuItem();
            unsigned layered = layerPickMenuItem();
            ++picked[native];
            if (native != layered && differ++ < 10)
                ADD_FAILURE() << "at (" << x << ", " << y << ") Mesa picks " << native << ", the layer " << layered;
        }
    EXPECT_EQ(differ, 0);
    // Every item, and nothing, is picked somewhere on the grid.
    for (unsigned item : {NoMenuItem, ExitItem, PlayItem, OptionsItem, LogoItem})
        EXPECT_GT(picked[item], 50) << "item " << item;
}

// A hit buffer as Mesa and the layer fill it, for one scene of named primitives.
struct HitScene {
    const char* what;
    GLenum primitive;
    std::vector<float> xyz;  // object coordinates, three a vertex
    double pickX, pickY, pickSize;
    GLsizei bufferSize;
};

const HitScene kHitScenes[] = {
    {"a quad under the pointer", GL_QUADS, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, 320, 240, 2, 64},
    {"a quad beside the pointer", GL_QUADS, {-1, -1, 0, -0.5f, -1, 0, -0.5f, 1, 0, -1, 1, 0}, 320, 240, 2, 64},
    {"a tilted quad, half behind the near plane", GL_QUADS, {-1, -1, -20, 1, -1, -20, 1, 1, 14, -1, 1, 14}, 320, 240, 4, 64},
    {"a quad nearer than the near plane", GL_QUADS, {-0.1f, -0.1f, 3.8f, 0.1f, -0.1f, 3.8f, 0.1f, 0.1f, 3.8f, -0.1f, 0.1f, 3.8f}, 320, 240, 2, 64},
    {"a triangle's corner in the region", GL_TRIANGLES, {0, 0, 0, 3, 0, 0, 0, 3, 0}, 321, 241, 3, 64},
    {"a fan", GL_TRIANGLE_FAN, {0, 0, 1, 2, 0, 0, 2, 2, -1, 0, 2, -2}, 340, 220, 4, 64},
    {"a strip", GL_TRIANGLE_STRIP, {-2, -1, 0, -2, 1, 0, 0, -1, 2, 0, 1, 2, 2, -1, -3}, 360, 240, 6, 64},
    {"a line through the region", GL_LINES, {-3, 0.01f, 0, 3, 0.01f, 0}, 300, 240, 2, 64},
    {"a line loop around the region", GL_LINE_LOOP, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, 320, 240, 4, 64},
    {"points, one inside", GL_POINTS, {0, 0, 0.5f, 3, 3, 0}, 320, 240, 2, 64},
    {"a polygon", GL_POLYGON, {-1, -1, 0, 1, -1, 0, 1.5f, 0, 1, 1, 1, 0, -1, 1, 0}, 330, 250, 8, 64},
    {"a quad strip", GL_QUAD_STRIP, {-1, -1, 0, -1, 1, 0, 0, -1, 1, 0, 1, 1, 1, -1, 2, 1, 1, 2}, 350, 240, 2, 64},
    {"an overflowing buffer", GL_QUADS, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, 320, 240, 2, 6},
};

struct Hits {
    GLint count;
    std::vector<GLuint> words;
};

// Three copies of the primitive under three names, moved apart in depth.
template <typename Api>
Hits pickScene(const HitScene& scene, Api api) {
    std::vector<GLuint> buffer(scene.bufferSize, 0xdeadbeef);
    GLint viewport[4] = {0, 0, 640, 480};
    api.selectBuffer(scene.bufferSize, buffer.data());
    api.renderMode(GL_SELECT);
    api.initNames();
    api.pushName(0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    api.pickMatrix(scene.pickX, 480 - scene.pickY, scene.pickSize, scene.pickSize, viewport);
    gluPerspective(45, 640.0 / 480.0, 0.5, 30);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GLuint name = 1; name <= 3; ++name) {
        api.loadName(name * 10);
        glLoadIdentity();
        glTranslatef(0, 0, -4.0f * name);
        api.begin(scene.primitive);
        for (size_t i = 0; i + 2 < scene.xyz.size(); i += 3) api.vertex(scene.xyz[i], scene.xyz[i + 1], scene.xyz[i + 2]);
        api.end();
    }
    GLint count = api.renderMode(GL_RENDER);
    return {count, buffer};
}

struct MesaApi {
    void selectBuffer(GLsizei n, GLuint* b) { glSelectBuffer(n, b); }
    GLint renderMode(GLenum m) { return glRenderMode(m); }
    void initNames() { glInitNames(); }
    void pushName(GLuint n) { glPushName(n); }
    void loadName(GLuint n) { glLoadName(n); }
    void pickMatrix(double x, double y, double w, double h, GLint* v) { gluPickMatrix(x, y, w, h, v); }
    void begin(GLenum m) { glBegin(m); }
    void vertex(float x, float y, float z) { glVertex3f(x, y, z); }
    void end() { glEnd(); }
};

struct LayerApi {
    void selectBuffer(GLsizei n, GLuint* b) { quadruneSelectBuffer(n, b); }
    GLint renderMode(GLenum m) { return quadruneRenderMode(m); }
    void initNames() { quadruneInitNames(); }
    void pushName(GLuint n) { quadrunePushName(n); }
    void loadName(GLuint n) { quadruneLoadName(n); }
    void pickMatrix(double x, double y, double w, double h, GLint* v) { quadrunePickMatrix(x, y, w, h, v); }
    void begin(GLenum m) { quadruneBegin(m); }
    void vertex(float x, float y, float z) { quadruneVertex3f(x, y, z); }
    void end() { quadruneEnd(); }
};

// Records are [names, zmin, zmax, name...]. Depths are Mesa's float
// arithmetic scaled to 32 bits: they may differ in the last float bits.
void expectSameHits(const Hits& mesa, const Hits& layer, const char* what) {
    ASSERT_EQ(mesa.count, layer.count) << what;
    GLint records = mesa.count < 0 ? 1 : mesa.count;
    size_t at = 0;
    for (GLint r = 0; r < records && at < mesa.words.size(); ++r) {
        GLuint names = mesa.words[at];
        ASSERT_EQ(names, layer.words[at]) << what;
        for (size_t depth = at + 1; depth <= at + 2 && depth < mesa.words.size(); ++depth)
            EXPECT_NEAR(static_cast<double>(mesa.words[depth]), static_cast<double>(layer.words[depth]), 4096.0 * 256)
                << what << ", record " << r;
        for (size_t n = at + 3; n < at + 3 + names && n < mesa.words.size(); ++n) EXPECT_EQ(mesa.words[n], layer.words[n]) << what;
        at += 3 + names;
    }
}

TEST_F(GlLayer, SelectionWritesTheHitRecordsMesaWrites) {
    for (const HitScene& scene : kHitScenes) {
        Hits mesa = pickScene(scene, MesaApi{});
        Hits layer = pickScene(scene, LayerApi{});
        expectSameHits(mesa, layer, scene.what);
    }
    // The table reaches hits, misses and an overflow.
    EXPECT_GT(pickScene(kHitScenes[0], MesaApi{}).count, 0);
    EXPECT_EQ(pickScene(kHitScenes[1], MesaApi{}).count, 0);
    EXPECT_EQ(pickScene(kHitScenes[12], MesaApi{}).count, -1);
    EXPECT_EQ(pickScene(kHitScenes[3], MesaApi{}).count, 2);
}

struct View {
    double eye[3], center[3], up[3];
};

const View kViews[] = {
    {{0, 1.5, 15}, {0, 0.5, 0}, {0, 1, 0}},   // the game's
    {{0, 0, 10}, {0, 0, 0}, {0, 1, 0}},       // the menu's
    {{0, 0, 5}, {0, 0, 0}, {0, 0.1, 0}},      // a menu item's short up
    {{3, -2, 1}, {-1, 4, 2.5}, {0.2, 0.1, 1}},
    {{1, 1, 1}, {1, 1, 1}, {0, 1, 0}},        // no direction at all
};

std::vector<float> matrixAfter(void (*lookAt)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                                              GLdouble, GLdouble),
                               const View& v) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.5f, -1, 2);  // lookAt multiplies what is there
    lookAt(v.eye[0], v.eye[1], v.eye[2], v.center[0], v.center[1], v.center[2], v.up[0], v.up[1], v.up[2]);
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

TEST_F(GlLayer, LookAtMultipliesGlusMatrix) {
    for (const View& v : kViews) {
        std::vector<float> glu = matrixAfter(gluLookAt, v);
        std::vector<float> layer = matrixAfter(quadruneLookAt, v);
        for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(glu[i], layer[i]) << "element " << i << ", eye " << v.eye[0];
    }
}

TEST_F(GlLayer, PerspectiveMultipliesGlusMatrix) {
    struct Lens {
        double fovy, aspect, zNear, zFar;
    };
    for (Lens lens : {Lens{45, 640.0 / 480.0, 0.1, 100}, Lens{45, 4.0 / 3.0, 0.1, 1000}, Lens{90, 0.5, 1, 2}, Lens{0, 1, 1, 2}}) {
        std::vector<float> glu(16), layer(16);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glTranslatef(0.25f, -3, 0);  // as a pick matrix would stand there
        gluPerspective(lens.fovy, lens.aspect, lens.zNear, lens.zFar);
        glGetFloatv(GL_PROJECTION_MATRIX, glu.data());
        glLoadIdentity();
        glTranslatef(0.25f, -3, 0);
        quadrunePerspective(lens.fovy, lens.aspect, lens.zNear, lens.zFar);
        glGetFloatv(GL_PROJECTION_MATRIX, layer.data());
        for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(glu[i], layer[i]) << "fovy " << lens.fovy;
    }
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(GlLayer, PickMatrixIsGlus) {
    GLint viewport[4] = {0, 0, 640, 480};
    for (double x : {0.0, 13.0, 320.5, 639.0})
        for (double size : {1.0, 2.0, 7.5}) {
            std::vector<float> glu(16), layer(16);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPickMatrix(x, 480 - x / 2, size, size, viewport);
            glGetFloatv(GL_PROJECTION_MATRIX, glu.data());
            glLoadIdentity();
            quadrunePickMatrix(x, 480 - x / 2, size, size, viewport);
            glGetFloatv(GL_PROJECTION_MATRIX, layer.data());
            for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(glu[i], layer[i]) << x << " " << size;
        }
    glMatrixMode(GL_MODELVIEW);
}
}  // namespace
