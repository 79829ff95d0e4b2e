#include "layer_worlds.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

#include "render/scene.h"
#include "render/text_render.h"
#include "rules/game_state.h"
#include "rules/seams.h"
#include "test_support.h"
#include "through_layer.h"
#include "web/gl_layer.h"

World nativeWorld, layerWorld;

void useWorld(World& world) {
    gameState.textures = world.textures;
    gameState.displayListBase = world.displayListBase;
    gameState.fontListBase = world.fontListBase;
}

namespace {
void keepWorld(World& world) {
    world.displayListBase = gameState.displayListBase;
    world.fontListBase = gameState.fontListBase;
}

void noSwap() {}
}  // namespace

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
namespace {
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
}  // namespace

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

void GlLayer::SetUp() {
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
