#pragma once
// The game's drawing as the web build compiles it, onto the GL layer
// (renamed by through_layer_names.h).
#include <cstdint>

struct GameState;
struct PngImage;

void layerDrawMenuBackground();
void layerDrawMenuItems(unsigned highlight);
unsigned layerPickMenuItem();
void layerDrawText(const char* text, int x, int y);
void layerDrawTextTinted(const char* text, int x, int y, float red, float green, float blue);
int layerBuildFontLists();
void layerShowLoadingScreen(const char* line1, const char* line2);
void layerLoadScene(GameState& state, int32_t width, int32_t height);
void layerResizeScene(GameState& state, int32_t width, int32_t height);
void layerCreateTexture(PngImage& image, uint32_t* name);
