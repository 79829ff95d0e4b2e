#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "gl_fixture.h"
#include "menu/menu_drawing.h"
#include "picture.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "rules/game_state.h"
#include "rules/png_image.h"
#include "rules/seams.h"
#include "rules/texture_slots.h"
#include "test_support.h"
#include "through_layer.h"
#include "web/gl_layer.h"

// The web build's GL layer against Mesa, in one context: the game's own
// drawing code runs once straight onto Mesa and once through the layer
// (which itself draws with Mesa, as it draws with WebGL in the browser),
// and the two must agree.
namespace {
// What each way of drawing owns: its textures and its display lists.
struct World {
    uint32_t textures[kTextureTableSize] = {};
    uint32_t displayListBase = 0, fontListBase = 0;
};

World nativeWorld, layerWorld;

void useWorld(World& world) {
    gameState.textures = world.textures;
    gameState.displayListBase = world.displayListBase;
    gameState.fontListBase = world.fontListBase;
}

void keepWorld(World& world) {
    world.displayListBase = gameState.displayListBase;
    world.fontListBase = gameState.fontListBase;
}

void noSwap() {}

// Both ways start a frame from the same state; setting it through the layer
// sets Mesa too.
void startFrame() {
    quadruneEnable(GL_TEXTURE_2D);
    quadruneEnable(GL_DEPTH_TEST);
    quadruneDisable(GL_BLEND);
    quadruneDisable(GL_CULL_FACE);
    quadruneDisable(GL_LIGHTING);
    quadruneColor3f(1, 1, 1);
    quadruneBindTexture(GL_TEXTURE_2D, 0);
    quadruneTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    quadruneBlendFunc(GL_ONE, GL_ZERO);
    glClearColor(0, 0, 0, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    resizeScene(gameState, 640, 480);
    glLoadIdentity();
}

// Pixels that differ between two shots.
int differingPixels(const Shot& a, const Shot& b) {
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!std::equal(a.at(x, y), a.at(x, y) + 3, b.at(x, y))) ++count;
    return count;
}

// Mesa plays its own display lists through another path than its immediate
// mode, and the two round a few texels' shading one step apart (held
// against each other, Mesa's font list and the same calls made directly
// differ at 6 pixels of a line of text). Through the layer a list is played
// as immediate calls, so pictures with lists may differ that much from
// Mesa's: one step, at a few pixels.
struct Closeness {
    int differing = 0, largestStep = 0;
};

Closeness closeness(const Shot& a, const Shot& b) {
    Closeness c;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        int step = 0;
        for (size_t k = i; k < i + 3; ++k) step = std::max(step, std::abs(a.rgb[k] - b.rgb[k]));
        c.differing += step > 0;
        c.largestStep = std::max(c.largestStep, step);
    }
    return c;
}

void expectListPicturesClose(const Shot& mesa, const Shot& layer, const std::string& what) {
    Closeness c = closeness(mesa, layer);
    EXPECT_LE(c.largestStep, 1) << what;
    EXPECT_LE(c.differing, 40) << what;
}

int litPixels(const Shot& shot) {
    int count = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y)[0] | shot.at(x, y)[1] | shot.at(x, y)[2]) ++count;
    return count;
}

class GlLayer : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        seams.platform.swapBuffers = noSwap;
        static bool loaded = false;
        if (!loaded) {
            linkGameData();
            useWorld(nativeWorld);
            loadScene(gameState, 640, 480);
            buildFontLists();
            keepWorld(nativeWorld);
            useWorld(layerWorld);
            layerLoadScene(gameState, 640, 480);
            layerBuildFontLists();
            keepWorld(layerWorld);
            loaded = true;
        }
        useWorld(nativeWorld);
        startFrame();
    }
};

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

Shot menuPicture(bool throughLayer, unsigned highlight) {
    startFrame();
    useWorld(throughLayer ? layerWorld : nativeWorld);
    if (throughLayer) {
        layerDrawMenuBackground();
        layerDrawMenuItems(0);
        if (highlight) layerDrawMenuItems(highlight);
    } else {
        drawMenuBackground();
        drawMenuItems(0);
        if (highlight) drawMenuItems(highlight);
    }
    return backBufferShot();
}

// The menu's pictures are mipmapped and drawn through gluLookAt: equal
// pixels mean equal textures and an equal view matrix.
TEST_F(GlLayer, MenuDrawsTheSamePixels) {
    for (unsigned highlight : {0u, 1u, 2u, 3u}) {
        Shot mesa = menuPicture(false, highlight);
        Shot layer = menuPicture(true, highlight);
        EXPECT_GT(litPixels(mesa), 640 * 400) << "highlight " << highlight;
        EXPECT_EQ(differingPixels(mesa, layer), 0) << "highlight " << highlight;
    }
}

struct TextCase {
    const char* text;
    int x, y;
    float red, green, blue;
};

const TextCase kTexts[] = {
    {"SCORE 0012345", 20, 40, 1, 1, 1},
    {"Level 7  TIME 02:31", 100, 300, 1, 0.5f, 0.25f},
    {" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0, 200, 0.3f, 1, 0.6f},
    {"[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~", 10, 440, 1, 1, 0},
};

Shot textPicture(bool throughLayer, const TextCase& c) {
    startFrame();
    useWorld(throughLayer ? layerWorld : nativeWorld);
    if (throughLayer)
        layerDrawTextTinted(c.text, c.x, c.y, c.red, c.green, c.blue);
    else
        drawTextTinted(c.text, c.x, c.y, c.red, c.green, c.blue);
    return backBufferShot();
}

// The font is a texture drawn through a display list a glyph.
TEST_F(GlLayer, TextureFontDrawsTheSamePixels) {
    for (const TextCase& c : kTexts) {
        Shot mesa = textPicture(false, c);
        Shot layer = textPicture(true, c);
        EXPECT_GT(litPixels(mesa), 500) << c.text;
        expectListPicturesClose(mesa, layer, c.text);
    }
}

struct EnableState {
    std::vector<GLboolean> caps;
    GLint texture, envMode;
    bool operator==(const EnableState& o) const { return caps == o.caps && texture == o.texture && envMode == o.envMode; }
};

EnableState enableState() {
    EnableState s;
    for (GLenum cap : {GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_LIGHTING}) s.caps.push_back(glIsEnabled(cap));
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.envMode);
    return s;
}

// drawText saves and restores what it changes with glPushAttrib/glPopAttrib.
TEST_F(GlLayer, TextLeavesTheStateItFound) {
    useWorld(layerWorld);
    struct Start {
        bool texture, depth, blend;
        GLuint boundSlot;
        GLint envMode;
    };
    for (Start start : {Start{true, true, false, kFirstBlockSlot, GL_MODULATE}, Start{false, false, true, kMenuLogoSlot, GL_REPLACE},
                        Start{true, false, true, 0, GL_DECAL}}) {
        startFrame();
        start.texture ? quadruneEnable(GL_TEXTURE_2D) : quadruneDisable(GL_TEXTURE_2D);
        start.depth ? quadruneEnable(GL_DEPTH_TEST) : quadruneDisable(GL_DEPTH_TEST);
        start.blend ? quadruneEnable(GL_BLEND) : quadruneDisable(GL_BLEND);
        quadruneBindTexture(GL_TEXTURE_2D, start.boundSlot ? layerWorld.textures[start.boundSlot] : 0);
        quadruneTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, start.envMode);
        EnableState before = enableState();
        layerDrawText("HELLO", 10, 10);
        EXPECT_TRUE(before == enableState()) << "from texture " << start.texture << " depth " << start.depth;
    }
}

struct LoadingCase {
    const char* line1;
    const char* line2;
};

const LoadingCase kLoadingLines[] = {
    {"Loading..", "Texture data/pics/menufont.png.."},
    {"Loading..", "Display lists..done."},
    {"!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLM", "NOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"},
    // Off the left edge the raster position is invalid: the whole line is lost.
    {"Loading..", "A line long enough that its start, which the loading screen moves left by the length, falls left of the "
                  "window, where the raster position is invalid and so the line shows nothing"},
    {"Bytes past 127 are skipped: \xe4\xf6\xfc|", "ok"},
};

Shot loadingPicture(bool throughLayer, const LoadingCase& c) {
    startFrame();
    if (throughLayer)
        layerShowLoadingScreen(c.line1, c.line2);
    else
        showLoadingScreen(c.line1, c.line2);
    return backBufferShot();
}

// The loading screen's bitmap text: gluLookAt, glRasterPos and
// glutBitmapCharacter with freeglut's own font.
TEST_F(GlLayer, BitmapTextDrawsTheSamePixels) {
    for (const LoadingCase& c : kLoadingLines) {
        Shot mesa = loadingPicture(false, c);
        Shot layer = loadingPicture(true, c);
        EXPECT_GT(litPixels(mesa), 60) << c.line1;
        EXPECT_EQ(differingPixels(mesa, layer), 0) << c.line1 << " / " << c.line2;
    }
}

// The scene's lists (the block, the cursor's lines, the flash with its own
// state changes), and a list calling lists, compiled and executed at once.
void drawScene(bool throughLayer, float turn) {
    startFrame();
    useWorld(throughLayer ? layerWorld : nativeWorld);
    auto callList = throughLayer ? quadruneCallList : glCallList;
    auto translate = throughLayer ? quadruneTranslatef : glTranslatef;
    auto rotate = throughLayer ? quadruneRotatef : glRotatef;
    auto bind = throughLayer ? quadruneBindTexture : glBindTexture;
    auto color = throughLayer ? quadruneColor3f : glColor3f;
    auto disable = throughLayer ? quadruneDisable : glDisable;
    translate(0, 0, -1.5f);
    rotate(turn, 0.3f, 1, 0.2f);
    bind(GL_TEXTURE_2D, gameState.textures[kFirstBlockSlot + 2]);
    callList(gameState.displayListBase);
    disable(GL_TEXTURE_2D);
    color(0.2f, 1, 0.4f);
    callList(gameState.displayListBase + 1);
    color(0.5f, 0.5f, 0.5f);
    translate(0, -1, -3);
    callList(gameState.displayListBase + 2);
}

void drawNested(bool throughLayer) {
    startFrame();
    useWorld(throughLayer ? layerWorld : nativeWorld);
    GLuint base = throughLayer ? quadruneGenLists(2) : glGenLists(2);
    auto newList = throughLayer ? quadruneNewList : glNewList;
    auto endList = throughLayer ? quadruneEndList : glEndList;
    auto callList = throughLayer ? quadruneCallList : glCallList;
    auto translate = throughLayer ? quadruneTranslatef : glTranslatef;
    auto bind = throughLayer ? quadruneBindTexture : glBindTexture;
    newList(base, GL_COMPILE);
    translate(0.25f, 0, 0);
    callList(gameState.displayListBase);
    endList();
    translate(-0.6f, 0, -2);
    newList(base + 1, GL_COMPILE_AND_EXECUTE);
    bind(GL_TEXTURE_2D, gameState.textures[kFirstBlockSlot]);
    callList(base);
    callList(base);
    endList();
    translate(0, 0.3f, 0);
    callList(base + 1);
}

// Names a list was given with glNewList alone are not handed out again,
// and deleted names are.
TEST_F(GlLayer, ListNamesAreHandedOutAsGlDoes) {
    auto run = [](bool layer) {
        auto gen = layer ? quadruneGenLists : glGenLists;
        auto newList = layer ? quadruneNewList : glNewList;
        auto endList = layer ? quadruneEndList : glEndList;
        auto isList = layer ? quadruneIsList : glIsList;
        auto remove = layer ? quadruneDeleteLists : glDeleteLists;
        std::vector<GLuint> names;
        GLuint base = gen(3);
        newList(base + 4, GL_COMPILE);
        endList();
        GLuint next = gen(2);
        names = {next - base, isList(base + 4), isList(base + 5)};
        remove(base, 3);
        names.push_back(gen(3) - base);
        names.push_back(isList(base + 1));
        remove(base, 8);
        return names;
    };
    EXPECT_EQ(run(false), run(true));
}

TEST_F(GlLayer, DisplayListsDrawWhatMesasDraw) {
    for (float turn : {0.0f, 30.0f, 145.0f}) {
        drawScene(false, turn);
        Shot mesa = backBufferShot();
        drawScene(true, turn);
        Shot layer = backBufferShot();
        EXPECT_GT(litPixels(mesa), 2000) << turn;
        expectListPicturesClose(mesa, layer, "turned " + std::to_string(turn));
    }
    drawNested(false);
    Shot mesa = backBufferShot();
    drawNested(true);
    Shot layer = backBufferShot();
    EXPECT_GT(litPixels(mesa), 2000);
    expectListPicturesClose(mesa, layer, "lists calling lists");
}

std::vector<uint8_t> textureLevel(GLuint texture, int level, int* width, int* height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, height);
    std::vector<uint8_t> texels(static_cast<size_t>(*width) * *height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!texels.empty()) glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

int largestDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int largest = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

// Every level of two textures; returns the largest texel difference.
int compareMipmaps(GLuint mesaTexture, GLuint layerTexture, const std::string& what) {
    int largest = 0;
    for (int level = 0;; ++level) {
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        std::vector<uint8_t> mesa = textureLevel(mesaTexture, level, &w1, &h1);
        std::vector<uint8_t> layer = textureLevel(layerTexture, level, &w2, &h2);
        EXPECT_EQ(w1, w2) << what << " level " << level;
        EXPECT_EQ(h1, h2) << what << " level " << level;
        if (w1 == 0 || w1 != w2 || h1 != h2) {
            EXPECT_GT(level, 0) << what;
            return largest;
        }
        largest = std::max(largest, largestDifference(mesa, layer));
        if (w1 == 1 && h1 == 1) return largest;
    }
}

// The game's pictures, all powers of two: GLU's box filter, texel for texel.
TEST_F(GlLayer, GamePicturesMipmapAsGluDoes) {
    for (int slot = kFirstBlockSlot; slot <= kLastPictureSlot; ++slot)
        EXPECT_EQ(compareMipmaps(nativeWorld.textures[slot], layerWorld.textures[slot], kTextureFiles[slot - kFirstBlockSlot]), 0);
}

// A picture whose sides are no powers of two is scaled first (the game has
// none): the layer's area mean weighs the edges of a texel's source area a
// little otherwise than GLU's scaling, so it stays within a few steps of it.
TEST_F(GlLayer, OddSizedPicturesMipmapCloseToGlu) {
    struct Odd {
        int width, height, alignment;
        GLenum format;
    };
    for (Odd odd : {Odd{270, 300, 1, GL_RGBA}, Odd{33, 7, 4, GL_RGB}, Odd{6, 5, 4, GL_RGB}}) {
        int components = odd.format == GL_RGBA ? 4 : 3;
        size_t stride = (static_cast<size_t>(odd.width) * components + odd.alignment - 1) / odd.alignment * odd.alignment;
        std::vector<uint8_t> pixels(stride * odd.height);
        // Smooth shades: two filters can differ on noise as much as they like.
        for (int y = 0; y < odd.height; ++y)
            for (int x = 0; x < odd.width * components; ++x)
                pixels[y * stride + x] = static_cast<uint8_t>(127.5 + 127.5 * std::sin(0.05 * x + 0.11 * y + x % components));
        GLuint textures[2];
        glGenTextures(2, textures);
        glPixelStorei(GL_UNPACK_ALIGNMENT, odd.alignment);
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA16, odd.width, odd.height, odd.format, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, textures[1]);
        quadruneBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA16, odd.width, odd.height, odd.format, GL_UNSIGNED_BYTE, pixels.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        std::string what = std::to_string(odd.width) + "x" + std::to_string(odd.height);
        EXPECT_LE(compareMipmaps(textures[0], textures[1], what), 12) << what;
        glDeleteTextures(2, textures);
    }
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
