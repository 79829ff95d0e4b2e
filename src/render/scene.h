#pragma once
#include <cstdint>

struct GameState;

// The 21 pictures, in texture-slot order starting at slot 1.
constexpr int kTextureFileCount = 21;
extern const char* const kTextureFiles[kTextureFileCount];

void resizeScene(GameState& state, int32_t width, int32_t height);
void loadScene(GameState& state, int32_t width, int32_t height);
void buildDisplayLists();
