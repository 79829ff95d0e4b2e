#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "layer_worlds.h"
#include "menu/menu_drawing.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "rules/game_state.h"
#include "rules/texture_slots.h"
#include "through_layer.h"
#include "web/gl_layer.h"

// Pictures drawn both ways, and the textures' mipmaps.
namespace {
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

// The layer keeps the viewport and the depth range rather than ask the
// browser's GL for them; text must still land where GL puts it after both
// change.
TEST_F(GlLayer, BitmapTextFollowsTheViewportAndDepthRange) {
    const LoadingCase& c = kLoadingLines[0];
    Shot shots[2];
    for (bool throughLayer : {false, true}) {
        auto viewport = throughLayer ? quadruneViewport : glViewport;
        auto depthRange = throughLayer ? quadruneDepthRange : glDepthRange;
        startFrame();
        viewport(40, 30, 320, 240);
        depthRange(0.25, 0.75);
        throughLayer ? layerShowLoadingScreen(c.line1, c.line2) : showLoadingScreen(c.line1, c.line2);
        shots[throughLayer] = backBufferShot();
        viewport(0, 0, 640, 480);
        depthRange(0, 1);
    }
    EXPECT_GT(litPixels(shots[0]), 60);
    EXPECT_EQ(differingPixels(shots[0], shots[1]), 0);
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
}  // namespace
