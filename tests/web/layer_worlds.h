#pragma once
// The web build's GL layer against Mesa, in one context: the game's own
// drawing code runs once straight onto Mesa and once through the layer
// (which itself draws with Mesa, as it draws with WebGL in the browser),
// and the two must agree.
#include <cstdint>
#include <string>

#include "gl_fixture.h"
#include "picture.h"
#include "rules/game_state.h"

// What each way of drawing owns: its textures and its display lists.
struct World {
    uint32_t textures[kTextureTableSize] = {};
    uint32_t displayListBase = 0, fontListBase = 0;
};

extern World nativeWorld, layerWorld;

void useWorld(World& world);
// Both ways start a frame from the same state; setting it through the layer
// sets Mesa too.
void startFrame();

int differingPixels(const Shot& a, const Shot& b);
int litPixels(const Shot& shot);
// Pictures drawn with display lists: see layer_worlds.cpp.
void expectListPicturesClose(const Shot& mesa, const Shot& layer, const std::string& what);

// Loads the game's pictures and lists both ways once, and starts from the
// native world with a cleared frame.
class GlLayer : public GlFixture {
protected:
    void SetUp() override;
};
